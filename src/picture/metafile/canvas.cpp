#include "picture/metafile/canvas.h"

#include "picture/metafile/dib.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace toolkit::metafile {
namespace {

// Slots an object table may use, and DC states SaveDC may stack: GDI's own limits are far
// lower, and a hostile file must not make either grow without end.
constexpr quint32 maxObjects = 65536;
constexpr size_t maxSavedStates = 1024;

constexpr quint32 blackness = 0x00000042, whiteness = 0x00FF0062, patCopy = 0x00F00021;
constexpr quint32 srcAnd = 0x008800C6, srcPaint = 0x00EE0086, srcInvert = 0x00660046;
constexpr quint32 dstInvert = 0x00550009, patInvert = 0x005A0049;

Qt::PenStyle penStyle(int style)
{
    switch (style & 0x0f) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    case gdi::psNull:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle hatchStyle(int hatch)
{
    switch (hatch) {
    case 0:
        return Qt::HorPattern;
    case 1:
        return Qt::VerPattern;
    case 2:
        return Qt::FDiagPattern;
    case 3:
        return Qt::BDiagPattern;
    case 4:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

// The angle of a point on an ellipse's outline as QPainterPath::arcTo counts it.
double ellipseAngle(const QRectF &box, const QPointF &point)
{
    const QPointF centre = box.center();
    const double rx = std::max(box.width() / 2, 1e-9);
    const double ry = std::max(box.height() / 2, 1e-9);
    return qRadiansToDegrees(
        std::atan2(-(point.y() - centre.y()) / ry, (point.x() - centre.x()) / rx));
}

} // namespace

Canvas::Canvas(QImage &image, double devicePixelsPerMm)
    : m_image(image), m_devicePixelsPerMm(devicePixelsPerMm)
{
    m_painter.begin(&m_image);
    m_painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
}

bool Canvas::storeObject(quint32 slot, GdiObject object)
{
    if (slot >= maxObjects)
        return false;
    if (slot >= m_objects.size())
        m_objects.resize(slot + 1);
    m_objects[slot] = std::move(object);
    m_freeSlots.erase(slot);
    return true;
}

std::optional<quint32> Canvas::storeInFreeSlot(GdiObject object)
{
    quint32 slot = 0;
    if (!m_freeSlots.empty()) {
        slot = *m_freeSlots.begin();
        m_freeSlots.erase(m_freeSlots.begin());
    } else if (m_objects.size() < maxObjects) {
        slot = static_cast<quint32>(m_objects.size());
        m_objects.emplace_back();
    } else {
        return std::nullopt;
    }
    m_objects[slot] = std::move(object);
    return slot;
}

void Canvas::selectObject(quint32 slot)
{
    if (slot & 0x80000000u) {
        selectStockObject(slot & 0x7fffffffu);
        return;
    }
    if (slot >= m_objects.size() || !m_objects[slot])
        return;
    const GdiObject &object = *m_objects[slot];
    if (const auto *pen = std::get_if<LogPen>(&object))
        m_state.pen = *pen;
    else if (const auto *brush = std::get_if<LogBrush>(&object))
        m_state.brush = *brush;
    else if (const auto *font = std::get_if<LogFont>(&object))
        m_state.font = *font;
}

void Canvas::selectStockObject(quint32 stock)
{
    static const int greys[] = {255, 192, 128, 64, 0};
    if (stock <= 4)
        m_state.brush =
            LogBrush{gdi::bsSolid, QColor(greys[stock], greys[stock], greys[stock]), 0, {}};
    else if (stock == 5)
        m_state.brush = LogBrush{gdi::bsNull, Qt::black, 0, {}};
    else if (stock == 6 || stock == 7)
        m_state.pen = LogPen{0, 0, stock == 6 ? Qt::white : Qt::black};
    else if (stock == 8)
        m_state.pen = LogPen{gdi::psNull, 0, Qt::black};
    else if (stock >= 10 && stock <= 17 && stock != 15)
        m_state.font = LogFont{};
}

void Canvas::deleteObject(quint32 slot)
{
    if (slot >= m_objects.size() || !m_objects[slot])
        return;
    m_objects[slot].reset();
    m_freeSlots.insert(slot);
}

void Canvas::saveDc()
{
    if (m_saved.size() < maxSavedStates)
        m_saved.push_back(m_state);
}

void Canvas::restoreDc(int which)
{
    const qint64 count = static_cast<qint64>(m_saved.size());
    const qint64 keep = which < 0 ? count + which : qint64(which) - 1;
    if (which == 0 || keep < 0 || keep >= count)
        return;
    m_state = m_saved[static_cast<size_t>(keep)];
    m_saved.resize(static_cast<size_t>(keep));
}

QTransform Canvas::logicalToImage() const
{
    const DcState &s = m_state;
    double sx = 1, sy = 1;
    double mmPerUnit = 0;
    switch (s.mapMode) {
    case gdi::mmLoMetric:
        mmPerUnit = 0.1;
        break;
    case gdi::mmHiMetric:
        mmPerUnit = 0.01;
        break;
    case gdi::mmLoEnglish:
        mmPerUnit = 0.254;
        break;
    case gdi::mmHiEnglish:
        mmPerUnit = 0.0254;
        break;
    case gdi::mmTwips:
        mmPerUnit = 25.4 / 1440;
        break;
    case gdi::mmIsotropic:
    case gdi::mmAnisotropic:
        if (s.windowExt.width() != 0)
            sx = s.viewportExt.width() / s.windowExt.width();
        if (s.windowExt.height() != 0)
            sy = s.viewportExt.height() / s.windowExt.height();
        if (s.mapMode == gdi::mmIsotropic) {
            const double both = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(both, sx);
            sy = std::copysign(both, sy);
        }
        break;
    default:
        break;
    }
    if (mmPerUnit > 0) {
        // The metric modes put y upwards.
        sx = mmPerUnit * m_devicePixelsPerMm;
        sy = -sx;
    }
    const QTransform toDevice(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                              s.viewportOrg.y() - s.windowOrg.y() * sy);
    return s.world * toDevice * m_deviceToImage;
}

double Canvas::imageScale() const
{
    return std::sqrt(std::abs(logicalToImage().determinant()));
}

QPen Canvas::currentPen() const
{
    const LogPen &p = m_state.pen;
    const Qt::PenStyle style = penStyle(p.style);
    if (style == Qt::NoPen)
        return Qt::NoPen;
    QPen pen(p.color);
    pen.setStyle(style);
    pen.setCosmetic(true);
    pen.setWidthF(std::max(1.0, p.width * imageScale()));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QBrush Canvas::currentBrush() const
{
    const LogBrush &b = m_state.brush;
    switch (b.style) {
    case gdi::bsNull:
        return Qt::NoBrush;
    case gdi::bsHatched:
        return QBrush(b.color, hatchStyle(b.hatch));
    case gdi::bsPattern:
    case gdi::bsDibPattern:
        if (!b.pattern.isNull())
            return QBrush(b.pattern);
        return QBrush(b.color);
    default:
        return QBrush(b.color);
    }
}

void Canvas::prepare(bool withTransform)
{
    m_painter.setTransform(QTransform());
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (m_state.clip)
        m_painter.setClipPath(*m_state.clip);
    else
        m_painter.setClipping(false);
    if (withTransform)
        m_painter.setTransform(logicalToImage());
}

void Canvas::drawShape(const QPainterPath &logicalPath, bool fill)
{
    if (m_inPath) {
        addToPath(logicalPath);
        return;
    }
    QPainterPath path = logicalPath;
    path.setFillRule(m_state.polyFillMode == gdi::alternateFill ? Qt::OddEvenFill
                                                                : Qt::WindingFill);
    const QPen pen = currentPen();
    const QBrush brush = fill ? currentBrush() : QBrush(Qt::NoBrush);
    if (pen.style() == Qt::NoPen && brush.style() == Qt::NoBrush)
        return;
    prepare(true);
    if (fill && m_state.brush.style == gdi::bsHatched && m_state.backMode == gdi::opaqueMode)
        m_painter.fillPath(path, m_state.backColor);
    m_painter.setPen(pen);
    m_painter.setBrush(brush);
    m_painter.drawPath(path);
}

void Canvas::addToPath(const QPainterPath &logicalPath)
{
    m_path.addPath(logicalToImage().map(logicalPath));
}

void Canvas::intersectClip(const QRectF &rect)
{
    QPainterPath area;
    area.addRect(rect.normalized());
    area = logicalToImage().map(area);
    m_state.clip = m_state.clip ? m_state.clip->intersected(area) : area;
}

void Canvas::excludeClip(const QRectF &rect)
{
    QPainterPath area;
    area.addRect(rect.normalized());
    QPainterPath whole;
    whole.addRect(QRectF(m_image.rect()));
    m_state.clip = m_state.clip.value_or(whole).subtracted(logicalToImage().map(area));
}

void Canvas::selectClipRegion(const std::optional<QPainterPath> &deviceRegion, int mode)
{
    if (!deviceRegion) {
        if (mode == 5)
            m_state.clip.reset();
        return;
    }
    const QPainterPath area = m_deviceToImage.map(*deviceRegion);
    QPainterPath whole;
    whole.addRect(QRectF(m_image.rect()));
    const QPainterPath current = m_state.clip.value_or(whole);
    switch (mode) {
    case 1:
        m_state.clip = current.intersected(area);
        break;
    case 2:
        m_state.clip = current.united(area);
        break;
    case 3:
        m_state.clip = current.united(area).subtracted(current.intersected(area));
        break;
    case 4:
        m_state.clip = current.subtracted(area);
        break;
    case 5:
        m_state.clip = area;
        break;
    default:
        break;
    }
}

void Canvas::beginPath()
{
    m_path = QPainterPath();
    m_path.moveTo(logicalToImage().map(m_state.position));
    m_inPath = true;
}

void Canvas::abortPath()
{
    m_path = QPainterPath();
    m_inPath = false;
}

void Canvas::closeFigure()
{
    if (m_inPath)
        m_path.closeSubpath();
}

void Canvas::fillPath(bool fill, bool stroke)
{
    m_inPath = false;
    QPainterPath path = m_path;
    m_path = QPainterPath();
    path.setFillRule(m_state.polyFillMode == gdi::alternateFill ? Qt::OddEvenFill
                                                                : Qt::WindingFill);
    prepare(false);
    m_painter.setPen(stroke ? currentPen() : QPen(Qt::NoPen));
    m_painter.setBrush(fill ? currentBrush() : QBrush(Qt::NoBrush));
    m_painter.drawPath(path);
}

void Canvas::clipToPath()
{
    m_inPath = false;
    m_state.clip = m_state.clip ? m_state.clip->intersected(m_path) : m_path;
    m_path = QPainterPath();
}

void Canvas::rectangle(const QRectF &rect)
{
    QPainterPath path;
    path.addRect(rect.normalized());
    drawShape(path, true);
}

void Canvas::roundRect(const QRectF &rect, const QSizeF &corner)
{
    QPainterPath path;
    path.addRoundedRect(rect.normalized(), std::abs(corner.width()) / 2,
                        std::abs(corner.height()) / 2);
    drawShape(path, true);
}

void Canvas::ellipse(const QRectF &rect)
{
    QPainterPath path;
    path.addEllipse(rect.normalized());
    drawShape(path, true);
}

void Canvas::arc(const QRectF &rawBox, const QPointF &start, const QPointF &end, int kind)
{
    const QRectF box = rawBox.normalized();
    const double from = ellipseAngle(box, start);
    double sweep = ellipseAngle(box, end) - from;
    if (sweep <= 0)
        sweep += 360;
    QPainterPath path;
    if (kind == Pie) {
        path.moveTo(box.center());
        path.arcTo(box, from, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(box, from);
        path.arcTo(box, from, sweep);
        if (kind == Chord)
            path.closeSubpath();
    }
    drawShape(path, kind != ArcOnly);
}

void Canvas::polygon(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    drawShape(path, true);
}

void Canvas::polyPolygon(const QList<QPolygonF> &polygons)
{
    QPainterPath path;
    for (const QPolygonF &points : polygons) {
        path.addPolygon(points);
        path.closeSubpath();
    }
    drawShape(path, true);
}

void Canvas::polyline(const QPolygonF &points)
{
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(points);
    drawShape(path, false);
}

void Canvas::polylineTo(const QPolygonF &points)
{
    for (const QPointF &point : points)
        lineTo(point);
}

void Canvas::polyBezier(const QPolygonF &points, bool fromCurrent)
{
    const qsizetype first = fromCurrent ? 0 : 1;
    if (points.size() < first + 3)
        return;
    const QPointF start = fromCurrent ? m_state.position : points.first();
    QPainterPath path(start);
    for (qsizetype i = first; i + 2 < points.size(); i += 3)
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    if (fromCurrent)
        m_state.position = path.currentPosition();
    if (m_inPath && fromCurrent) {
        // A curve that goes on from the current position continues the figure.
        const QTransform t = logicalToImage();
        for (qsizetype i = first; i + 2 < points.size(); i += 3)
            m_path.cubicTo(t.map(points[i]), t.map(points[i + 1]), t.map(points[i + 2]));
        return;
    }
    drawShape(path, false);
}

void Canvas::moveTo(const QPointF &point)
{
    m_state.position = point;
    if (m_inPath)
        m_path.moveTo(logicalToImage().map(point));
}

void Canvas::lineTo(const QPointF &point)
{
    const QPointF from = m_state.position;
    m_state.position = point;
    if (m_inPath) {
        m_path.lineTo(logicalToImage().map(point));
        return;
    }
    QPainterPath path(from);
    path.lineTo(point);
    drawShape(path, false);
}

void Canvas::setPixel(const QPointF &point, const QColor &colour)
{
    prepare(false);
    const QPointF at = logicalToImage().map(point);
    m_painter.fillRect(QRectF(std::floor(at.x()), std::floor(at.y()), 1, 1), colour);
}

void Canvas::patBlt(const QRectF &rect, quint32 rop)
{
    prepare(true);
    const QRectF area = rect.normalized();
    switch (rop) {
    case blackness:
        m_painter.fillRect(area, Qt::black);
        break;
    case whiteness:
        m_painter.fillRect(area, Qt::white);
        break;
    case patCopy:
        m_painter.fillRect(area, currentBrush());
        break;
    case patInvert:
    case dstInvert:
        m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        m_painter.fillRect(area, rop == dstInvert ? QBrush(Qt::white) : currentBrush());
        break;
    default:
        break;
    }
}

void Canvas::drawBitmap(const QRectF &dest, const Dib &dib, const QRectF &source, quint32 rop)
{
    if (rop == blackness || rop == whiteness) {
        patBlt(dest, rop);
        return;
    }
    const QRect bounds = dib.image.rect();
    QRectF from = source.normalized();
    if (dib.bottomUp)
        from.moveTop(bounds.height() - from.top() - from.height());
    const QRect picked = from.toAlignedRect().intersected(bounds);
    if (picked.isEmpty() || dest.width() == 0 || dest.height() == 0)
        return;
    const QImage part = dib.image.copy(picked).mirrored(dest.width() < 0, dest.height() < 0);
    prepare(true);
    if (rop == srcAnd)
        m_painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    else if (rop == srcPaint)
        m_painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    else if (rop == srcInvert)
        m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    m_painter.drawImage(dest.normalized(), part);
}

} // namespace toolkit::metafile
