#include "picture/metafile/canvas.h"

#include <QLinearGradient>
#include <QRegion>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace picture::metafile {
namespace {

// Slots an object table may use, and DC states SaveDC may stack: GDI's own limits are far
// lower, and a hostile file must not make either grow without end.
constexpr quint32 maxObjects = 65536;
constexpr size_t maxSavedStates = 1024;

Qt::PenStyle penStyle(quint32 style)
{
    switch (style & gdi::psStyleMask) {
    case gdi::psDash:
        return Qt::DashLine;
    case gdi::psDot:
        return Qt::DotLine;
    case gdi::psDashDot:
        return Qt::DashDotLine;
    case gdi::psDashDotDot:
        return Qt::DashDotDotLine;
    case gdi::psNull:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::PenCapStyle capStyle(quint32 style)
{
    switch (style & gdi::psEndCapMask) {
    case gdi::psEndCapSquare:
        return Qt::SquareCap;
    case gdi::psEndCapFlat:
        return Qt::FlatCap;
    default:
        return Qt::RoundCap;
    }
}

// GDI bevels a miter that would reach past the limit, as SVG's miter does; Qt's plain miter
// would cut it off at the limit instead.
Qt::PenJoinStyle joinStyle(quint32 style)
{
    switch (style & gdi::psJoinMask) {
    case gdi::psJoinBevel:
        return Qt::BevelJoin;
    case gdi::psJoinMiter:
        return Qt::SvgMiterJoin;
    default:
        return Qt::RoundJoin;
    }
}

Qt::BrushStyle hatchStyle(int hatch)
{
    switch (hatch) {
    case gdi::hsHorizontal:
        return Qt::HorPattern;
    case gdi::hsVertical:
        return Qt::VerPattern;
    case gdi::hsForwardDiagonal:
        return Qt::FDiagPattern;
    case gdi::hsBackwardDiagonal:
        return Qt::BDiagPattern;
    case gdi::hsCross:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

// A hatch as GDI draws it: one 8 by 8 tile of device pixels, the lines in the brush's colour
// and the rest left for the background mode to fill.
QImage hatchTile(const QColor &color, int hatch)
{
    QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.fillRect(tile.rect(), QBrush(color, hatchStyle(hatch)));
    return tile;
}

// The ternary raster operation that does to the page what a binary one does with the pen:
// the drawn pixels stand for the pen, the pattern plays no part.
quint32 ternaryOf(int rop2)
{
    const quint32 table = static_cast<quint32>(rop2 - 1) & 0x0f;
    return (table | table << 4) << 16;
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

// The whole pixels an area of the picture touches; the area is taken inside the picture
// first, so that no far coordinate of a file is ever turned into an integer.
QRect pixelsOf(const QRectF &withinPicture)
{
    if (!withinPicture.isValid() || !std::isfinite(withinPicture.width()) ||
        !std::isfinite(withinPicture.height()))
        return {};
    return withinPicture.toAlignedRect();
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
    else if (const auto *region = std::get_if<LogRegion>(&object))
        clipToRegion(region->region);
}

std::optional<QRegion> Canvas::regionAt(quint32 slot) const
{
    if (slot >= m_objects.size() || !m_objects[slot])
        return std::nullopt;
    if (const auto *region = std::get_if<LogRegion>(&*m_objects[slot]))
        return region->region;
    return std::nullopt;
}

void Canvas::clipToRegion(const QRegion &region)
{
    QPainterPath area;
    area.addRegion(region);
    m_state.clip = logicalToImage().map(area);
}

void Canvas::selectStockObject(quint32 stock)
{
    // White, light grey, grey, dark grey and black brushes.
    static const int greys[] = {255, 192, 128, 64, 0};
    if (stock <= gdi::blackBrush)
        m_state.brush =
            LogBrush{gdi::bsSolid, QColor(greys[stock], greys[stock], greys[stock]), 0, {}};
    else if (stock == gdi::nullBrush)
        m_state.brush = LogBrush{gdi::bsNull, Qt::black, 0, {}};
    else if (stock == gdi::whitePen || stock == gdi::blackPen)
        m_state.pen = LogPen{gdi::psSolid, 0, stock == gdi::whitePen ? Qt::white : Qt::black};
    else if (stock == gdi::nullPen)
        m_state.pen = LogPen{gdi::psNull, 0, Qt::black};
    else if (stock >= gdi::oemFixedFont && stock <= gdi::defaultGuiFont &&
             stock != gdi::defaultPalette)
        m_state.font = LogFont{};
}

void Canvas::selectPalette(quint32 slot)
{
    if (slot & 0x80000000u) {
        m_state.palette.clear();
        return;
    }
    if (slot >= m_objects.size() || !m_objects[slot])
        return;
    if (const auto *palette = std::get_if<LogPalette>(&*m_objects[slot]))
        m_state.palette = palette->colours;
}

QList<QRgb> Canvas::logicalPalette() const
{
    if (!m_state.palette.isEmpty())
        return m_state.palette;
    // The twenty colours of the palette every device context starts with.
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192),
            qRgb(192, 220, 192), qRgb(166, 202, 240), qRgb(255, 251, 240), qRgb(160, 160, 164),
            qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),     qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255),   qRgb(255, 255, 255)};
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
    switch (s.mapMode) {
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
    if (const std::optional<double> perInch = gdi::metricUnitsPerInch(s.mapMode)) {
        // The metric modes put y upwards.
        sx = 25.4 / *perInch * m_devicePixelsPerMm;
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
    pen.setCapStyle(capStyle(p.style));
    pen.setJoinStyle(joinStyle(p.style));
    pen.setMiterLimit(m_state.miterLimit);
    return pen;
}

QBrush Canvas::currentBrush(const QTransform &painterTransform) const
{
    return brushOf(m_state.brush, painterTransform);
}

QBrush Canvas::brushFor(const LogBrush &brush, const QPainter &painter) const
{
    return brushOf(brush, painter.transform() *
                              QTransform::fromTranslate(m_layerOrigin.x(), m_layerOrigin.y()));
}

QBrush Canvas::brushOf(const LogBrush &b, const QTransform &painterTransform) const
{
    switch (b.style) {
    case gdi::bsNull:
        return Qt::NoBrush;
    case gdi::bsHatched:
        return tiledBrush(hatchTile(b.color, b.hatch), painterTransform);
    case gdi::bsPattern:
    case gdi::bsDibPattern: {
        if (b.pattern.isNull())
            return QBrush(b.color);
        QImage tile = b.pattern;
        if (b.mono) {
            tile = tile.convertToFormat(QImage::Format_ARGB32);
            const QRgb dark = m_state.textColor.rgb(), light = m_state.backColor.rgb();
            for (int y = 0; y < tile.height(); ++y) {
                QRgb *line = reinterpret_cast<QRgb *>(tile.scanLine(y));
                for (int x = 0; x < tile.width(); ++x)
                    line[x] = qGray(line[x]) < 128 ? dark : light;
            }
        }
        return tiledBrush(tile, painterTransform);
    }
    default:
        return QBrush(b.color);
    }
}

QBrush Canvas::tiledBrush(const QImage &tile, const QTransform &painterTransform) const
{
    // GDI lays patterns and hatches in device pixels from the brush origin, whatever the
    // mapping. The tiles repeat, so the origin is taken within one of them.
    const QPointF origin = m_deviceToImage.map(m_state.brushOrigin);
    const QPointF within(std::fmod(origin.x(), tile.width()), std::fmod(origin.y(), tile.height()));
    QBrush brush(tile);
    brush.setTransform(QTransform::fromTranslate(within.x(), within.y()) *
                       painterTransform.inverted());
    return brush;
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
    if (pen.style() == Qt::NoPen && (!fill || m_state.brush.style == gdi::bsNull))
        return;
    const QTransform toImage = logicalToImage();
    mix(
        [&](QPainter &p) {
            p.setTransform(toImage, true);
            strokeAndFill(p, path, pen, fill);
        },
        strokeBounds(toImage.map(path).boundingRect(), pen));
}

void Canvas::strokeAndFill(QPainter &p, const QPainterPath &path, const QPen &pen, bool fill) const
{
    if (fill && m_state.brush.style == gdi::bsHatched && m_state.backMode == gdi::opaqueMode)
        p.fillPath(path, m_state.backColor);
    p.setPen(pen);
    p.setBrush(fill ? brushFor(m_state.brush, p) : QBrush(Qt::NoBrush));
    p.drawPath(path);
}

QRectF Canvas::strokeBounds(const QRectF &imageBounds, const QPen &pen) const
{
    if (pen.style() == Qt::NoPen)
        return imageBounds.adjusted(-1, -1, 1, 1);
    // A miter reaches at most half the limit times the width from the line; a square cap or
    // a round join no further than the width.
    const double reach =
        pen.widthF() *
            std::max(1.0, pen.joinStyle() == Qt::SvgMiterJoin ? m_state.miterLimit : 1.0) +
        2;
    return imageBounds.adjusted(-reach, -reach, reach, reach);
}

void Canvas::mix(const std::function<void(QPainter &)> &draw, const QRectF &imageArea)
{
    if (m_state.rop2 == gdi::r2CopyPen) {
        prepare(false);
        draw(m_painter);
        return;
    }
    combineOnPage(draw, imageArea, ternaryOf(m_state.rop2));
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

void Canvas::offsetClip(const QPointF &offset)
{
    // Kept within a range where the moved clip's coordinates stay far from overflowing.
    constexpr double far = 1 << 28;
    const QTransform toImage = logicalToImage();
    const QPointF by = toImage.map(offset) - toImage.map(QPointF());
    if (m_state.clip && std::isfinite(by.x()) && std::isfinite(by.y()))
        m_state.clip->translate(std::clamp(by.x(), -far, far), std::clamp(by.y(), -far, far));
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
        if (mode == gdi::rgnCopy)
            m_state.clip.reset();
        return;
    }
    combineClip(m_deviceToImage.map(*deviceRegion), mode);
}

void Canvas::combineClip(const QPainterPath &area, int mode)
{
    QPainterPath whole;
    whole.addRect(QRectF(m_image.rect()));
    const QPainterPath current = m_state.clip.value_or(whole);
    switch (mode) {
    case gdi::rgnAnd:
        m_state.clip = current.intersected(area);
        break;
    case gdi::rgnOr:
        m_state.clip = current.united(area);
        break;
    case gdi::rgnXor:
        m_state.clip = current.united(area).subtracted(current.intersected(area));
        break;
    case gdi::rgnDiff:
        m_state.clip = current.subtracted(area);
        break;
    case gdi::rgnCopy:
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
    const QPen pen = stroke ? currentPen() : QPen(Qt::NoPen);
    mix([&](QPainter &p) { strokeAndFill(p, path, pen, fill); },
        strokeBounds(path.boundingRect(), pen));
}

void Canvas::clipToPath(int mode)
{
    m_inPath = false;
    m_path.setFillRule(m_state.polyFillMode == gdi::alternateFill ? Qt::OddEvenFill
                                                                  : Qt::WindingFill);
    combineClip(m_path, mode);
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

QPainterPath Canvas::arcPath(const QRectF &rawBox, const QPointF &start, const QPointF &end,
                             int kind) const
{
    const QRectF box = rawBox.normalized();
    const double from = ellipseAngle(box, start);
    double sweep = ellipseAngle(box, end) - from;
    if (m_state.arcsClockwise && sweep >= 0)
        sweep -= 360;
    else if (!m_state.arcsClockwise && sweep <= 0)
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
    return path;
}

void Canvas::arc(const QRectF &box, const QPointF &start, const QPointF &end, int kind)
{
    drawShape(arcPath(box, start, end, kind), kind != ArcOnly);
}

void Canvas::arcTo(const QRectF &box, const QPointF &start, const QPointF &end)
{
    // A line from the current position to where the arc begins, then the arc, which leaves
    // the position where it ends.
    const QPainterPath arc = arcPath(box, start, end, ArcOnly);
    QPainterPath path(m_state.position);
    path.lineTo(arc.pointAtPercent(0));
    path.connectPath(arc);
    m_state.position = path.currentPosition();
    if (m_inPath) {
        m_path.connectPath(logicalToImage().map(path));
        return;
    }
    drawShape(path, false);
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

void Canvas::combine(const std::function<void(QPainter &)> &paint, const QRectF &imageArea,
                     quint32 rop)
{
    const quint8 rop3 = static_cast<quint8>(rop >> 16);
    const bool usesPattern = ((rop3 >> 4) & 0x0f) != (rop3 & 0x0f);
    QRectF within = imageArea.intersected(QRectF(m_image.rect()));
    if (m_state.clip)
        within = within.intersected(m_state.clip->boundingRect());
    const QRect box = pixelsOf(within);
    const qint64 pixels = qint64(box.width()) * box.height();
    if (box.isEmpty() || pixels > m_mixingBudget)
        return;
    m_mixingBudget -= pixels;
    m_layerOrigin = box.topLeft();
    const auto layer = [&](const std::function<void(QPainter &)> &draw) {
        QImage out(box.size(), QImage::Format_ARGB32_Premultiplied);
        out.fill(Qt::transparent);
        QPainter p(&out);
        p.translate(-box.topLeft());
        if (m_state.clip)
            p.setClipPath(*m_state.clip);
        draw(p);
        return out;
    };
    const QImage source = layer(paint);
    const QImage pattern =
        usesPattern ? layer([&](QPainter &p) { p.fillRect(box, brushFor(m_state.brush, p)); })
                    : QImage();
    m_layerOrigin = QPoint();
    for (int y = 0; y < box.height(); ++y) {
        const QRgb *s = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        const QRgb *pat =
            usesPattern ? reinterpret_cast<const QRgb *>(pattern.constScanLine(y)) : nullptr;
        QRgb *d = reinterpret_cast<QRgb *>(m_image.scanLine(box.top() + y)) + box.left();
        for (int x = 0; x < box.width(); ++x) {
            if (qAlpha(s[x]) < 128)
                continue;
            // The destination as it shows on a white page.
            const quint32 cover = 255 - qAlpha(d[x]);
            const quint32 dst = qRgb(qRed(d[x]) + cover, qGreen(d[x]) + cover, qBlue(d[x]) + cover);
            const quint32 src = s[x], brush = pat ? pat[x] : 0;
            quint32 result = 0;
            for (int bit = 0; bit < 8; ++bit) {
                if (!((rop3 >> bit) & 1))
                    continue;
                result |= ((bit & 4) ? brush : ~brush) & ((bit & 2) ? src : ~src) &
                          ((bit & 1) ? dst : ~dst);
            }
            result &= 0xffffff;
            // What leaves the page as it shows leaves its pixel as it was: an unpainted one
            // unpainted, a partly covered one partly covered.
            if (result == (dst & 0xffffff))
                continue;
            d[x] = 0xff000000u | result;
        }
    }
}

void Canvas::combineOnPage(const std::function<void(QPainter &)> &paint, const QRectF &imageArea,
                           quint32 rop)
{
    m_painter.end();
    combine(paint, imageArea, rop);
    m_painter.begin(&m_image);
    m_painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
}

void Canvas::patBlt(const QRectF &rect, quint32 rop)
{
    prepare(true);
    const QRectF area = rect.normalized();
    switch (rop) {
    case gdi::blackness:
        m_painter.fillRect(area, Qt::black);
        return;
    case gdi::whiteness:
        m_painter.fillRect(area, Qt::white);
        return;
    case gdi::patCopy:
        m_painter.fillRect(area, brushFor(m_state.brush, m_painter));
        return;
    default:
        break;
    }
    const QTransform toImage = logicalToImage();
    combineOnPage(
        [&](QPainter &p) {
            p.setTransform(toImage, true);
            p.fillRect(area, Qt::black);
        },
        toImage.mapRect(area), rop);
}

void Canvas::invertRegion(const QRegion &region)
{
    const QTransform toImage = logicalToImage();
    combineOnPage(
        [&](QPainter &p) {
            p.setTransform(toImage, true);
            for (const QRect &rect : region)
                p.fillRect(rect, Qt::black);
        },
        toImage.mapRect(QRectF(region.boundingRect())), gdi::dstInvert);
}

void Canvas::fillRegion(const QRegion &region, std::optional<quint32> brushSlot)
{
    LogBrush brush = m_state.brush;
    if (brushSlot) {
        if (*brushSlot & 0x80000000u) {
            const LogBrush saved = m_state.brush;
            selectStockObject(*brushSlot & 0x7fffffffu);
            brush = m_state.brush;
            m_state.brush = saved;
        } else if (*brushSlot < m_objects.size() && m_objects[*brushSlot]) {
            const auto *given = std::get_if<LogBrush>(&*m_objects[*brushSlot]);
            if (!given)
                return;
            brush = *given;
        } else {
            return;
        }
    }
    const QTransform toImage = logicalToImage();
    mix(
        [&](QPainter &p) {
            p.setTransform(toImage, true);
            const bool smooth = p.testRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::Antialiasing, false);
            const QBrush fill = brushFor(brush, p);
            for (const QRect &rect : region)
                p.fillRect(rect, fill);
            p.setRenderHint(QPainter::Antialiasing, smooth);
        },
        toImage.mapRect(QRectF(region.boundingRect())));
}

void Canvas::frameRegion(const QRegion &region, quint32 brushSlot, const QSize &stroke)
{
    // The frame is what of the region lies within the stroke's width and height of its edge.
    QRegion inner = region;
    for (const QPoint &shift : {QPoint(stroke.width(), 0), QPoint(-stroke.width(), 0),
                                QPoint(0, stroke.height()), QPoint(0, -stroke.height())})
        inner &= region.translated(shift);
    fillRegion(region.subtracted(inner), brushSlot);
}

void Canvas::gradientRect(const QRectF &rect, const QColor &from, const QColor &to, bool vertical)
{
    const QRectF area = rect.normalized();
    QLinearGradient gradient(rect.topLeft(), vertical ? QPointF(rect.left(), rect.bottom())
                                                      : QPointF(rect.right(), rect.top()));
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    prepare(true);
    m_painter.fillRect(area, gradient);
}

void Canvas::gradientTriangle(const QPolygonF &logicalCorners, const QColor colours[3])
{
    const QPolygonF c = logicalToImage().map(logicalCorners);
    if (c.size() != 3)
        return;
    const QRect box = pixelsOf(c.boundingRect().intersected(QRectF(m_image.rect())));
    const double area = (c[1].x() - c[0].x()) * (c[2].y() - c[0].y()) -
                        (c[2].x() - c[0].x()) * (c[1].y() - c[0].y());
    if (box.isEmpty() || std::abs(area) < 1e-9 || !std::isfinite(area))
        return;
    const qint64 pixels = qint64(box.width()) * box.height();
    if (pixels > m_shadingBudget)
        return;
    m_shadingBudget -= pixels;
    QImage shade(box.size(), QImage::Format_ARGB32_Premultiplied);
    shade.fill(Qt::transparent);
    for (int y = 0; y < box.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(shade.scanLine(y));
        for (int x = 0; x < box.width(); ++x) {
            const QPointF p(box.left() + x + 0.5, box.top() + y + 0.5);
            const double w0 = ((c[1].x() - p.x()) * (c[2].y() - p.y()) -
                               (c[2].x() - p.x()) * (c[1].y() - p.y())) /
                              area;
            const double w1 = ((c[2].x() - p.x()) * (c[0].y() - p.y()) -
                               (c[0].x() - p.x()) * (c[2].y() - p.y())) /
                              area;
            const double w2 = 1 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0)
                continue;
            const auto mix = [&](int (QColor::*channel)() const) {
                return std::clamp(
                    int(std::lround(w0 * (colours[0].*channel)() + w1 * (colours[1].*channel)() +
                                    w2 * (colours[2].*channel)())),
                    0, 255);
            };
            line[x] = qRgb(mix(&QColor::red), mix(&QColor::green), mix(&QColor::blue));
        }
    }
    prepare(false);
    m_painter.drawImage(box.topLeft(), shade);
}

} // namespace picture::metafile
