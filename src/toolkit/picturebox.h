#pragma once

#include "toolkit/picture.h"

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QPainter>

#include <memory>

namespace toolkit {

class DrawingSurface;

// A sunken box whose inner area keeps a persistent drawing surface: what paintPicture draws
// stays until the background colour or the picture is set again, whatever covers, hides or
// repaints the window or the children in front of it. Children belong in surface(), whose
// origin is the inner area's top-left corner; they are clipped at its edges.
class PictureBox : public QFrame
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    ~PictureBox() override;

    QWidget *surface() const;

    QColor backColor() const { return m_backColor; }
    // Fills the inner area and erases what was drawn.
    void setBackColor(const QColor &colour);

    const Picture &picture() const { return m_picture; }
    // The picture is shown at the top-left corner of the inner area; assigning one, empty or
    // not, erases what was drawn. With autoSize the box takes the picture's size.
    void setPicture(const Picture &picture);
    void setAutoSize(bool on);

    // Draws the whole picture at its own size with its top-left corner at (left, top) twips of
    // the inner area. False, and nothing drawn, for an empty picture.
    bool paintPicture(const Picture &picture, double left, double top);

    // Size of the inner area in twips.
    float scaleWidth() const;
    float scaleHeight() const;

    // What the inner area shows now, children excluded, in device pixels.
    QImage surfaceImage();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    friend class DrawingSurface;
    void resetSurface();
    void ensureSurface();
    void finishDrawing();
    void fitToPicture();
    const QImage &drawable(const QImage &image);

    DrawingSurface *m_surface;
    QColor m_backColor;
    Picture m_picture;
    QImage m_image;
    std::unique_ptr<QPainter> m_painter;
    qint64 m_drawableKey = 0;
    QImage m_drawable;
    bool m_autoSize = false;
    bool m_surfaceStale = true;
};

} // namespace toolkit
