#include "toolkit/picturebox.h"

#include "toolkit/accessibility.h"
#include "toolkit/twips.h"

#include <QPaintEvent>
#include <QResizeEvent>
#include <qdrawutil.h>

namespace toolkit {

// The inner area: paints the backing store and holds the children of the box.
class DrawingSurface : public QWidget
{
public:
    explicit DrawingSurface(PictureBox *box) : QWidget(box), m_box(box)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        m_box->finishDrawing();
        m_box->ensureSurface();
        QPainter painter(this);
        painter.drawImage(
            event->rect(), m_box->m_image,
            QRectF(QPointF(event->rect().topLeft()) * m_box->m_image.devicePixelRatio(),
                   QSizeF(event->rect().size()) * m_box->m_image.devicePixelRatio()));
    }
    // A pending resize delivered at the first show must not erase what was drawn before it.
    void resizeEvent(QResizeEvent *) override
    {
        if (m_box->m_surfaceStale)
            return;
        if (m_box->m_image.size() != size() * m_box->devicePixelRatioF())
            m_box->resetSurface();
    }

private:
    PictureBox *m_box;
};

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent), m_surface(new DrawingSurface(this)),
      m_backColor(palette().color(QPalette::Button))
{
    installAccessibility();
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
}

PictureBox::~PictureBox()
{
    finishDrawing();
}

QWidget *PictureBox::surface() const
{
    return m_surface;
}

void PictureBox::setBackColor(const QColor &colour)
{
    m_backColor = colour;
    resetSurface();
}

void PictureBox::setPicture(const Picture &picture)
{
    m_picture = picture;
    // The converted copy kept for a run of tiles may be of the picture that goes now.
    m_drawable = QImage();
    m_drawableKey = 0;
    if (m_autoSize)
        fitToPicture();
    resetSurface();
}

void PictureBox::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on)
        fitToPicture();
}

void PictureBox::fitToPicture()
{
    if (m_picture.isEmpty())
        return;
    const int border = 2 * frameWidth();
    resize(toPixels(m_picture.widthTwips()) + border, toPixels(m_picture.heightTwips()) + border);
}

// The classic sunken edge, a shadow line above and left, a light one below and right, twice
// over; the style's own frame is a faint outline that a white canvas swallows on two sides.
void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    qDrawWinPanel(&painter, rect(), palette(), true);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_surface->setGeometry(contentsRect());
}

// Starts the surface afresh. It is made when it is first shown or drawn on, so that a box
// that is never shown (a hidden holder the size of a large picture) keeps no surface at all.
void PictureBox::resetSurface()
{
    finishDrawing();
    m_surface->setGeometry(contentsRect());
    m_image = QImage();
    m_surfaceStale = true;
    m_surface->update();
}

// The surface as a fresh start makes it: the background colour, then the picture at the
// top-left corner.
void PictureBox::ensureSurface()
{
    if (!m_surfaceStale)
        return;
    m_surfaceStale = false;
    const qreal ratio = devicePixelRatioF();
    QImage image(contentsRect().size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(m_backColor);
    m_image = std::move(image);
    if (!m_picture.isEmpty())
        paintPicture(m_picture, 0, 0);
}

bool PictureBox::paintPicture(const Picture &picture, double left, double top)
{
    ensureSurface();
    if (picture.isEmpty() || m_image.isNull())
        return false;
    // The painter stays open across calls, so a run of thousands of small tiles pays for
    // its set-up once; the next repaint of the surface closes it.
    if (!m_painter) {
        m_painter = std::make_unique<QPainter>(&m_image);
        m_surface->update();
    }
    const QImage &image = drawable(picture.image());
    const QSizeF size = QSizeF(image.size()) / image.devicePixelRatio();
    m_painter->drawImage(QRectF(QPointF(left / twipsPerPixel, top / twipsPerPixel), size), image);
    return true;
}

// The image in a format the surface copies straight; others (the palette images of GIF and
// 8-bit BMP files) would be converted again on every call of a run of tiles, so the converted
// copy of the last one is kept.
const QImage &PictureBox::drawable(const QImage &image)
{
    const QImage::Format format = image.format();
    if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied)
        return image;
    if (m_drawable.isNull() || m_drawableKey != image.cacheKey()) {
        m_drawable = image.convertToFormat(
            image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
        m_drawableKey = image.cacheKey();
    }
    return m_drawable;
}

void PictureBox::finishDrawing()
{
    m_painter.reset();
}

float PictureBox::scaleWidth() const
{
    if (m_autoSize && !m_picture.isEmpty())
        return static_cast<float>(m_picture.widthTwips());
    return static_cast<float>(toTwips(contentsRect().width()));
}

float PictureBox::scaleHeight() const
{
    if (m_autoSize && !m_picture.isEmpty())
        return static_cast<float>(m_picture.heightTwips());
    return static_cast<float>(toTwips(contentsRect().height()));
}

QImage PictureBox::surfaceImage()
{
    ensureSurface();
    finishDrawing();
    return m_image;
}

} // namespace toolkit
