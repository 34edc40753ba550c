#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

namespace toolkit {

// A caption drawn on a transparent background. With autoSize the label's width and height fit
// the caption in its font exactly, growing right and down from a fixed top-left corner. Each
// attribute of the font can be set alone and repaints at once; the face name is kept as asked
// for, while the toolkit draws a substitute where that face is not installed.
class Label : public QWidget
{
    Q_OBJECT
public:
    explicit Label(const QString &caption = {}, QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    void setAlignment(Qt::Alignment alignment);

    QString fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }
    bool fontBold() const { return m_font.bold(); }
    bool fontItalic() const { return m_font.italic(); }
    bool fontUnderline() const { return m_font.underline(); }
    bool fontStrikethrough() const { return m_font.strikeOut(); }

    // False (and nothing changes) where the font refuses the name: an empty one.
    bool setFontName(const QString &name);
    bool setFontSize(double points);
    void setFontBold(bool on);
    void setFontItalic(bool on);
    void setFontUnderline(bool on);
    void setFontStrikethrough(bool on);

    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &colour);

    // The font really drawn, after substitution.
    QFont drawnFont() const { return m_font; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void fontChanged();
    QSize captionSize() const;

    QString m_caption;
    QString m_fontName;
    double m_fontSize = 9;
    QFont m_font;
    bool m_ownFont = false;
    bool m_autoSize = false;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    QColor m_foreColor;
};

} // namespace toolkit
