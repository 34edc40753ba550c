#include "picture/metafile/canvas.h"

#include "picture/metafile/dib.h"

#include <algorithm>

// The canvas's block transfers: bitmaps laid on the page, whole, blended, keyed by a colour,
// under a mask, or on a parallelogram.
namespace picture::metafile {
namespace {

// The pixels a source rectangle picks from a bitmap, upright. Null where it picks none. Most
// records give the rectangle in the source device context, top down; the rectangles of
// StretchDIBits and SetDIBitsToDevice count their rows from the bottom of a bottom-up bitmap.
QImage pickedPart(const Dib &dib, const QRectF &source, bool rowsFromBottom = false)
{
    const QRect bounds = dib.image.rect();
    QRectF from = source.normalized();
    if (rowsFromBottom && dib.bottomUp)
        from.moveTop(bounds.height() - from.top() - from.height());
    // Taken within the bitmap first, so that no far coordinate of a file becomes an integer.
    const QRect picked = from.intersected(QRectF(bounds)).toAlignedRect().intersected(bounds);
    return picked.isEmpty() ? QImage() : dib.image.copy(picked);
}

// Whether a mask pixel at a point of the mask is set; pixels outside the mask are not.
bool maskSet(const QImage &mask, const QPoint &at)
{
    return mask.valid(at) && qGray(mask.pixel(at)) >= 128;
}

// The part with the pixels that keep() refuses made transparent.
template <typename Keep> QImage keptPixels(const QImage &part, Keep keep)
{
    QImage out = part.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (!keep(line[x], QPoint(x, y)))
                line[x] = 0;
    }
    return out;
}

} // namespace

void Canvas::drawBitmap(const QRectF &dest, const Dib &dib, const QRectF &source, quint32 rop,
                        bool rowsFromBottom)
{
    if (rop == gdi::blackness || rop == gdi::whiteness) {
        patBlt(dest, rop);
        return;
    }
    const QImage picked = pickedPart(dib, source, rowsFromBottom);
    if (picked.isNull() || dest.width() == 0 || dest.height() == 0)
        return;
    const QImage part = picked.mirrored(dest.width() < 0, dest.height() < 0);
    if (rop == gdi::srcCopy) {
        prepare(true);
        m_painter.drawImage(dest.normalized(), part);
        return;
    }
    const QTransform toImage = logicalToImage();
    const QImage opaque = part.convertToFormat(QImage::Format_RGB32);
    combineOnPage(
        [&](QPainter &p) {
            p.setTransform(toImage, true);
            p.drawImage(dest.normalized(), opaque);
        },
        toImage.mapRect(dest.normalized()), rop);
}

void Canvas::drawScanLines(const QPointF &destTopLeft, const Dib &band, const QRectF &source,
                           qint64 firstScan)
{
    if (source.width() <= 0 || source.height() <= 0)
        return;
    // The rows both the source rectangle and the band hold, in the rectangle's own count.
    const double from = std::max<double>(source.top(), firstScan);
    const double to = std::min<double>(source.bottom(), firstScan + band.image.height());
    if (to <= from)
        return;
    // Counted from the bottom, the rectangle's last rows are the top ones on the page.
    const double destTop =
        destTopLeft.y() + (band.bottomUp ? source.bottom() - to : from - source.top());
    drawBitmap(QRectF(destTopLeft.x(), destTop, source.width(), to - from), band,
               QRectF(source.left(), from - firstScan, source.width(), to - from), gdi::srcCopy,
               true);
}

void Canvas::blendBitmap(const QRectF &dest, const Dib &dib, const QRectF &source, double opacity)
{
    const QImage picked = pickedPart(dib, source);
    if (picked.isNull() || dest.width() == 0 || dest.height() == 0)
        return;
    prepare(true);
    m_painter.setOpacity(std::clamp(opacity, 0.0, 1.0));
    m_painter.drawImage(dest.normalized(), picked.mirrored(dest.width() < 0, dest.height() < 0));
    m_painter.setOpacity(1);
}

void Canvas::transparentBitmap(const QRectF &dest, const Dib &dib, const QRectF &source,
                               QRgb transparent)
{
    const QImage picked = pickedPart(dib, source);
    if (picked.isNull() || dest.width() == 0 || dest.height() == 0)
        return;
    const QImage kept = keptPixels(picked, [&](QRgb pixel, const QPoint &) {
        return (pixel & 0xffffff) != (transparent & 0xffffff);
    });
    prepare(true);
    m_painter.drawImage(dest.normalized(), kept.mirrored(dest.width() < 0, dest.height() < 0));
}

void Canvas::maskedBitmap(const QRectF &dest, const Dib &dib, const QPointF &sourceAt,
                          const Dib *mask, const QPointF &maskAt, quint32 rop4)
{
    const quint32 fore = rop4 & 0x00ff0000u, back = (rop4 >> 8) & 0x00ff0000u;
    const QImage part = pickedPart(dib, QRectF(sourceAt, dest.size().expandedTo({0, 0})));
    if (part.isNull() || dest.width() <= 0 || dest.height() <= 0)
        return;
    // Without a mask, every pixel takes the foreground operation.
    const QImage maskPart = mask ? pickedPart(*mask, QRectF(maskAt, part.size())) : QImage();
    const QTransform toImage = logicalToImage();
    const QRectF area(dest.topLeft(), QSizeF(part.size()));
    for (const bool foreground : {true, false}) {
        if (!foreground && !mask)
            break;
        const QImage kept = keptPixels(part, [&](QRgb, const QPoint &at) {
            return !mask || maskSet(maskPart, at) == foreground;
        });
        combineOnPage(
            [&](QPainter &p) {
                p.setTransform(toImage, true);
                p.drawImage(area, kept);
            },
            toImage.mapRect(area), foreground ? fore : back);
    }
}

void Canvas::parallelogramBitmap(const QPolygonF &corners, const Dib &dib, const QRectF &source,
                                 const Dib *mask, const QPointF &maskAt)
{
    const QImage part = pickedPart(dib, source);
    if (part.isNull() || corners.size() != 3)
        return;
    const QImage maskPart = mask ? pickedPart(*mask, QRectF(maskAt, part.size())) : QImage();
    const QImage kept =
        keptPixels(part, [&](QRgb, const QPoint &at) { return !mask || maskSet(maskPart, at); });
    // The source's top left goes to the first corner, its top right to the second and its
    // bottom left to the third.
    const QSizeF size = source.normalized().size();
    const QPointF across = corners[1] - corners[0], down = corners[2] - corners[0];
    const QTransform onto(across.x() / size.width(), across.y() / size.width(),
                          down.x() / size.height(), down.y() / size.height(), corners[0].x(),
                          corners[0].y());
    if (!onto.isInvertible())
        return;
    prepare(false);
    m_painter.setTransform(onto * logicalToImage());
    m_painter.drawImage(QPointF(0, 0), kept);
}

} // namespace picture::metafile
