#include "picture/metafile/emfplayer.h"

#include "picture/bytereader.h"
#include "picture/metafile/canvas.h"
#include "picture/metafile/dib.h"
#include "picture/metafile/fields.h"
#include "picture/metafile/picturesize.h"
#include "picture/metafile/records.h"
#include "picture/metafile/textcodec.h"
#include "picture/pictureerror.h"
#include "picture/sniffer.h"

#include <algorithm>
#include <cmath>

namespace picture::metafile {
namespace {

constexpr qint64 headerMinimum = 88;
constexpr qint64 maxRecords = 1'000'000;
// Pattern brushes are small tiles; a larger one is not worth its memory.
constexpr qint64 maxPatternPixels = 1 << 20;

QPointF pointL(const ByteReader &r, qint64 at)
{
    return QPointF(r.i32(at), r.i32(at + 4));
}
QRectF rectL(const ByteReader &r, qint64 at)
{
    return QRectF(pointL(r, at), pointL(r, at + 8));
}

// Plays one file's records onto a canvas. Each record is read through a reader that spans
// it alone, so that no field of one record can reach into the next or past the file.
class EmfPlayer
{
public:
    EmfPlayer(Canvas &canvas, qint64 maxPixels) : m_canvas(canvas), m_maxPixels(maxPixels) {}
    void play(EmfRecord type, const ByteReader &r);

private:
    QPolygonF points(const ByteReader &r, qint64 countAt, qint64 dataAt, bool small) const;
    void polyPoly(const ByteReader &r, bool small, bool closed);
    void createPen(const ByteReader &r, bool extended);
    void createBrush(const ByteReader &r);
    void createPatternBrush(const ByteReader &r, bool mono);
    void createFont(const ByteReader &r);
    void text(const ByteReader &r, bool wide);
    // The bitmap whose offset and size of header, then of bits, are four fields from infoAt.
    std::optional<Dib> dibAt(const ByteReader &r, qint64 infoAt, quint32 usage,
                             bool alpha = false) const;
    void bitmap(const ByteReader &r, const QRectF &dest, const QRectF &source, qint64 infoAt,
                quint32 usage, quint32 rop, bool rowsFromBottom);
    void setDiBitsToDevice(const ByteReader &r);
    void transparentBlt(const ByteReader &r);
    void maskBlt(const ByteReader &r);
    void plgBlt(const ByteReader &r);
    void setMiterLimit(const ByteReader &r);
    void clipRegion(const ByteReader &r);
    void smallText(const ByteReader &r);
    void gradientFill(const ByteReader &r);
    void alphaBlend(const ByteReader &r);
    void createPalette(const ByteReader &r);
    void worldTransform(const ByteReader &r, bool modify);

    Canvas &m_canvas;
    qint64 m_maxPixels;
    qint64 m_regionBudget = 65536;
};

// A region's rectangles, from a RGNDATA of at most a length. Coordinates are kept within a range
// where shifting them by a frame's width cannot overflow. Joining rectangles into a region is not
// linear in their number, so a region may have only so many, and a file only so many in all its
// regions.
std::optional<QRegion> regionAt(const ByteReader &r, qint64 at, qint64 length, qint64 &budget)
{
    constexpr qint64 maxRects = 8192;
    constexpr int far = 1 << 28;
    const ByteReader data = r.sub(at, length);
    const qint64 count = data.u32(8);
    if (data.size() < 32 || count > maxRects || count > budget || !data.has(32, count * 16))
        return std::nullopt;
    budget -= count;
    QRegion region;
    for (qint64 i = 0; i < count; ++i) {
        const auto v = [&](qint64 field) {
            return std::clamp(data.i32(32 + i * 16 + field), -far, far);
        };
        region +=
            QRect(QPoint(v(0), v(4)), QPoint(v(8), v(12))).normalized().adjusted(0, 0, -1, -1);
    }
    return region;
}

void EmfPlayer::createPalette(const ByteReader &r)
{
    const qint64 count = r.u16(14);
    if (!r.has(16, count * 4))
        return;
    LogPalette palette;
    for (qint64 i = 0; i < count; ++i)
        palette.colours << qRgb(r.u8(16 + 4 * i), r.u8(17 + 4 * i), r.u8(18 + 4 * i));
    m_canvas.storeObject(r.u32(8), palette);
}

void EmfPlayer::smallText(const ByteReader &r)
{
    constexpr quint32 etoNoRect = 0x100, etoSmallChars = 0x200;
    if (!r.has(0, 36))
        return;
    TextRun run;
    run.reference = pointL(r, 8);
    const qint64 count = r.u32(16);
    run.options = r.u32(20);
    qint64 at = 36;
    if (!(run.options & etoNoRect)) {
        run.rect = rectL(r, at);
        at += 16;
    }
    const bool small = run.options & etoSmallChars;
    const QByteArrayView bytes = r.bytes(at, count * (small ? 1 : 2));
    if (bytes.size() != count * (small ? 1 : 2))
        return;
    if (small) {
        run.text = decodeCharsetText(bytes, m_canvas.state().font.charset, {}).text;
    } else {
        const ByteReader units(bytes);
        for (qint64 i = 0; i < count; ++i)
            run.text += QChar(char16_t(units.u16(2 * i)));
    }
    m_canvas.textOut(run);
}

void EmfPlayer::gradientFill(const ByteReader &r)
{
    const qint64 vertices = r.u32(24), shapes = r.u32(28);
    const quint32 mode = r.u32(32);
    const qint64 shapeSize = mode == 2 ? 12 : 8;
    const qint64 shapesAt = 36 + vertices * 16;
    if (mode > 2 || !r.has(36, vertices * 16) || !r.has(shapesAt, shapes * shapeSize))
        return;
    const auto point = [&](quint32 i) { return pointL(r, 36 + qint64(i) * 16); };
    const auto colourOf = [&](quint32 i) {
        const qint64 at = 36 + qint64(i) * 16 + 8;
        return QColor(r.u16(at) >> 8, r.u16(at + 2) >> 8, r.u16(at + 4) >> 8);
    };
    for (qint64 n = 0; n < shapes; ++n) {
        const qint64 at = shapesAt + n * shapeSize;
        const quint32 a = r.u32(at), b = r.u32(at + 4), c = mode == 2 ? r.u32(at + 8) : 0;
        if (a >= vertices || b >= vertices || c >= vertices)
            continue;
        if (mode == 2) {
            const QColor colours[3] = {colourOf(a), colourOf(b), colourOf(c)};
            m_canvas.gradientTriangle(QPolygonF{point(a), point(b), point(c)}, colours);
        } else {
            m_canvas.gradientRect(QRectF(point(a), point(b)), colourOf(a), colourOf(b), mode == 1);
        }
    }
}

void EmfPlayer::alphaBlend(const ByteReader &r)
{
    constexpr int acSrcAlpha = 1;
    if (!r.has(0, 108))
        return;
    const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    const QRectF source(r.i32(44), r.i32(48), r.i32(100), r.i32(104));
    const double opacity = r.u8(42) / 255.0;
    const bool perPixel = r.u8(43) & acSrcAlpha;
    if (const std::optional<Dib> dib = dibAt(r, 84, r.u32(80), perPixel))
        m_canvas.blendBitmap(dest, *dib, source, opacity);
}

QPolygonF EmfPlayer::points(const ByteReader &r, qint64 countAt, qint64 dataAt, bool small) const
{
    const qint64 count = r.u32(countAt);
    const qint64 size = small ? 4 : 8;
    QPolygonF out;
    if (!r.has(dataAt, count * size))
        return out;
    out.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 at = dataAt + i * size;
        out << (small ? QPointF(r.i16(at), r.i16(at + 2)) : pointL(r, at));
    }
    return out;
}

void EmfPlayer::polyPoly(const ByteReader &r, bool small, bool closed)
{
    const qint64 polys = r.u32(24);
    const qint64 total = r.u32(28);
    const qint64 size = small ? 4 : 8;
    const qint64 pointsAt = 32 + polys * 4;
    if (!r.has(32, polys * 4) || !r.has(pointsAt, total * size))
        return;
    QList<QPolygonF> shapes;
    qint64 next = 0;
    for (qint64 p = 0; p < polys; ++p) {
        const qint64 count = r.u32(32 + p * 4);
        if (count > total - next)
            return;
        QPolygonF shape;
        for (qint64 i = 0; i < count; ++i, ++next) {
            const qint64 at = pointsAt + next * size;
            shape << (small ? QPointF(r.i16(at), r.i16(at + 2)) : pointL(r, at));
        }
        shapes << shape;
    }
    if (closed) {
        m_canvas.polyPolygon(shapes);
        return;
    }
    for (const QPolygonF &shape : shapes)
        m_canvas.polyline(shape);
}

void EmfPlayer::createPen(const ByteReader &r, bool extended)
{
    if (!r.has(0, extended ? 48 : 28))
        return;
    LogPen pen;
    if (extended) {
        pen.style = r.u32(28);
        // Ends and joins are those of geometric pens; a cosmetic pen's line is one pixel.
        if (!(pen.style & gdi::psGeometric))
            pen.style &= ~quint32(gdi::psEndCapMask | gdi::psJoinMask);
        pen.width = r.u32(32);
        pen.color = colorRef(r, 40);
        if (r.u32(36) == quint32(gdi::bsNull))
            pen.style = gdi::psNull;
    } else {
        pen.style = r.u32(12);
        pen.width = r.i32(16);
        pen.color = colorRef(r, 24);
    }
    m_canvas.storeObject(r.u32(8), pen);
}

void EmfPlayer::createBrush(const ByteReader &r)
{
    if (!r.has(0, 24))
        return;
    LogBrush brush;
    brush.style = static_cast<int>(r.u32(12));
    brush.color = colorRef(r, 16);
    brush.hatch = static_cast<int>(r.u32(20));
    m_canvas.storeObject(r.u32(8), brush);
}

void EmfPlayer::createPatternBrush(const ByteReader &r, bool mono)
{
    if (!r.has(0, 32))
        return;
    LogBrush brush;
    brush.style = gdi::bsDibPattern;
    brush.color = Qt::black;
    brush.mono = mono;
    // A monochrome brush's bitmap has a colour table of its own; otherwise the usage may make it
    // indexes into the logical palette as it stands when the brush is made. An unknown usage
    // leaves the brush without a pattern, as a bitmap it cannot read does.
    const quint32 usage = mono ? 0 : r.u32(12);
    const QList<QRgb> palette = m_canvas.logicalPalette();
    const std::optional<Dib> dib =
        usage > 1 ? std::nullopt
                  : decodeDib(r.bytes(r.u32(16), r.u32(20)), r.bytes(r.u32(24), r.u32(28)),
                              maxPatternPixels, usage == 1 ? &palette : nullptr);
    if (dib)
        brush.pattern = dib->image;
    m_canvas.storeObject(r.u32(8), brush);
}

void EmfPlayer::createFont(const ByteReader &r)
{
    // The LOGFONTW that every variant of the record starts with.
    if (!r.has(0, 12 + 92))
        return;
    LogFont font;
    font.height = r.i32(12);
    font.escapement = r.i32(20);
    font.weight = r.i32(28);
    font.italic = r.u8(32);
    font.underline = r.u8(33);
    font.strikeOut = r.u8(34);
    font.charset = r.u8(35);
    for (qint64 i = 0; i < 32; ++i) {
        const char16_t unit = r.u16(40 + 2 * i);
        if (!unit)
            break;
        font.face += QChar(unit);
    }
    m_canvas.storeObject(r.u32(8), font);
}

void EmfPlayer::text(const ByteReader &r, bool wide)
{
    constexpr quint32 etoNoRect = 0x100, etoPdy = 0x2000;
    if (!r.has(0, 60))
        return;
    TextRun run;
    run.reference = pointL(r, 36);
    const qint64 count = r.u32(44);
    const qint64 stringAt = r.u32(48);
    run.options = r.u32(52);
    qint64 dxAt = 0;
    if (run.options & etoNoRect) {
        dxAt = r.u32(56);
    } else {
        if (!r.has(0, 76))
            return;
        run.rect = rectL(r, 56);
        dxAt = r.u32(72);
    }
    const QByteArrayView bytes = r.bytes(stringAt, count * (wide ? 2 : 1));
    if (bytes.size() != count * (wide ? 2 : 1))
        return;
    const qint64 step = run.options & etoPdy ? 8 : 4;
    QList<double> advances;
    if (dxAt && r.has(dxAt, count * step)) {
        for (qint64 i = 0; i < count; ++i)
            advances << r.i32(dxAt + i * step);
    }
    if (wide) {
        const ByteReader units(bytes);
        for (qint64 i = 0; i < count; ++i)
            run.text += QChar(char16_t(units.u16(2 * i)));
        run.advances = advances;
    } else {
        DecodedText decoded = decodeCharsetText(bytes, m_canvas.state().font.charset, advances);
        run.text = decoded.text;
        run.advances = decoded.advances;
    }
    m_canvas.textOut(run);
}

std::optional<Dib> EmfPlayer::dibAt(const ByteReader &r, qint64 infoAt, quint32 usage,
                                    bool alpha) const
{
    // DIB_RGB_COLORS, or DIB_PAL_COLORS: indexes into the logical palette.
    const qint64 infoSize = r.u32(infoAt + 4);
    if (infoSize == 0 || usage > 1)
        return std::nullopt;
    const QList<QRgb> palette = m_canvas.logicalPalette();
    return decodeDib(r.bytes(r.u32(infoAt), infoSize),
                     r.bytes(r.u32(infoAt + 8), r.u32(infoAt + 12)), m_maxPixels,
                     usage == 1 ? &palette : nullptr, alpha);
}

void EmfPlayer::bitmap(const ByteReader &r, const QRectF &dest, const QRectF &source, qint64 infoAt,
                       quint32 usage, quint32 rop, bool rowsFromBottom)
{
    // Without a bitmap the operation combines the brush with the page.
    if (r.u32(infoAt + 4) == 0) {
        m_canvas.patBlt(dest, rop);
        return;
    }
    if (const std::optional<Dib> dib = dibAt(r, infoAt, usage))
        m_canvas.drawBitmap(dest, *dib, source, rop, rowsFromBottom);
}

void EmfPlayer::setDiBitsToDevice(const ByteReader &r)
{
    const quint32 usage = r.u32(64);
    if (!r.has(0, 76) || usage > 1)
        return;
    const QList<QRgb> palette = m_canvas.logicalPalette();
    const std::optional<Dib> band =
        decodeDibBand(r.bytes(r.u32(48), r.u32(52)), r.bytes(r.u32(56), r.u32(60)), r.u32(68),
                      r.u32(72), m_maxPixels, usage == 1 ? &palette : nullptr);
    if (band)
        m_canvas.drawScanLines(pointL(r, 24), *band,
                               QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44)), r.u32(68));
}

void EmfPlayer::transparentBlt(const ByteReader &r)
{
    if (!r.has(0, 108))
        return;
    if (const std::optional<Dib> dib = dibAt(r, 84, r.u32(80)))
        m_canvas.transparentBitmap(QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36)), *dib,
                                   QRectF(r.i32(44), r.i32(48), r.i32(100), r.i32(104)),
                                   colorRef(r, 40).rgb());
}

void EmfPlayer::maskBlt(const ByteReader &r)
{
    if (!r.has(0, 128))
        return;
    const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    const quint32 rop4 = r.u32(40);
    const QPointF sourceAt = pointL(r, 44), maskAt = pointL(r, 100);
    // Without a source bitmap, only the brush and the page take part.
    if (r.u32(88) == 0) {
        m_canvas.patBlt(dest, rop4 & 0x00ffffffu);
        return;
    }
    const std::optional<Dib> dib = dibAt(r, 84, r.u32(80));
    const std::optional<Dib> mask = dibAt(r, 112, r.u32(108));
    if (dib)
        m_canvas.maskedBitmap(dest, *dib, sourceAt, mask ? &*mask : nullptr, maskAt, rop4);
}

void EmfPlayer::plgBlt(const ByteReader &r)
{
    if (!r.has(0, 140))
        return;
    const QPolygonF corners{pointL(r, 24), pointL(r, 32), pointL(r, 40)};
    const std::optional<Dib> dib = dibAt(r, 96, r.u32(92));
    const std::optional<Dib> mask = dibAt(r, 124, r.u32(120));
    if (dib)
        m_canvas.parallelogramBitmap(corners, *dib,
                                     QRectF(r.i32(48), r.i32(52), r.i32(56), r.i32(60)),
                                     mask ? &*mask : nullptr, pointL(r, 112));
}

void EmfPlayer::setMiterLimit(const ByteReader &r)
{
    // GDI records the limit as a float; some writers store a whole number instead, which
    // read as a float is far below one.
    constexpr double farthest = 1e4;
    const double asFloat = r.f32(8);
    const double limit = std::isfinite(asFloat) && asFloat >= 1 ? asFloat : double(r.u32(8));
    if (limit >= 1 && limit <= farthest)
        m_canvas.state().miterLimit = limit;
}

void EmfPlayer::clipRegion(const ByteReader &r)
{
    const qint64 size = r.u32(8);
    const int mode = static_cast<int>(r.u32(12));
    if (size < 32) {
        m_canvas.selectClipRegion(std::nullopt, mode);
        return;
    }
    if (const auto region = regionAt(r, 16, size, m_regionBudget)) {
        QPainterPath area;
        area.addRegion(*region);
        m_canvas.selectClipRegion(area, mode);
    }
}

void EmfPlayer::worldTransform(const ByteReader &r, bool modify)
{
    float v[6];
    for (int i = 0; i < 6; ++i) {
        v[i] = r.f32(8 + 4 * i);
        if (!std::isfinite(v[i]))
            return;
    }
    const QTransform given(v[0], v[1], v[2], v[3], v[4], v[5]);
    QTransform &world = m_canvas.state().world;
    // How EMR_MODIFYWORLDTRANSFORM combines its matrix with the current one; setting the
    // matrix outright replaces it.
    enum class WorldModification : quint32 { Identity = 1, LeftMultiply, RightMultiply, Set };
    switch (modify ? WorldModification(r.u32(32)) : WorldModification::Set) {
    case WorldModification::Identity:
        world = QTransform();
        break;
    case WorldModification::LeftMultiply:
        world = given * world;
        break;
    case WorldModification::RightMultiply:
        world = world * given;
        break;
    case WorldModification::Set:
        world = given;
        break;
    default:
        break;
    }
}

void EmfPlayer::play(EmfRecord type, const ByteReader &r)
{
    DcState &s = m_canvas.state();
    switch (type) {
    case EmfRecord::PolyBezier:
    case EmfRecord::PolyBezier16:
        m_canvas.polyBezier(points(r, 24, 28, type == EmfRecord::PolyBezier16), false);
        break;
    case EmfRecord::Polygon:
    case EmfRecord::Polygon16:
        m_canvas.polygon(points(r, 24, 28, type == EmfRecord::Polygon16));
        break;
    case EmfRecord::Polyline:
    case EmfRecord::Polyline16:
        m_canvas.polyline(points(r, 24, 28, type == EmfRecord::Polyline16));
        break;
    case EmfRecord::PolyBezierTo:
    case EmfRecord::PolyBezierTo16:
        m_canvas.polyBezier(points(r, 24, 28, type == EmfRecord::PolyBezierTo16), true);
        break;
    case EmfRecord::PolylineTo:
    case EmfRecord::PolylineTo16:
        m_canvas.polylineTo(points(r, 24, 28, type == EmfRecord::PolylineTo16));
        break;
    case EmfRecord::PolyPolyline:
    case EmfRecord::PolyPolyline16:
        polyPoly(r, type == EmfRecord::PolyPolyline16, false);
        break;
    case EmfRecord::PolyPolygon:
    case EmfRecord::PolyPolygon16:
        polyPoly(r, type == EmfRecord::PolyPolygon16, true);
        break;
    case EmfRecord::SetWindowExtEx:
        s.windowExt = QSizeF(r.i32(8), r.i32(12));
        break;
    case EmfRecord::SetWindowOrgEx:
        s.windowOrg = pointL(r, 8);
        break;
    case EmfRecord::SetViewportExtEx:
        s.viewportExt = QSizeF(r.i32(8), r.i32(12));
        break;
    case EmfRecord::SetViewportOrgEx:
        s.viewportOrg = pointL(r, 8);
        break;
    case EmfRecord::SetPixelV:
        m_canvas.setPixel(pointL(r, 8), colorRef(r, 16));
        break;
    case EmfRecord::SetMapMode:
        if (r.u32(8) >= gdi::mmText && r.u32(8) <= gdi::mmAnisotropic)
            s.mapMode = static_cast<int>(r.u32(8));
        break;
    case EmfRecord::SetBkMode:
        s.backMode = static_cast<int>(r.u32(8));
        break;
    case EmfRecord::SetPolyFillMode:
        s.polyFillMode = static_cast<int>(r.u32(8));
        break;
    case EmfRecord::SetRop2:
        if (r.u32(8) >= gdi::r2Black && r.u32(8) <= gdi::r2White)
            s.rop2 = static_cast<int>(r.u32(8));
        break;
    case EmfRecord::SetMiterLimit:
        setMiterLimit(r);
        break;
    case EmfRecord::TransparentBlt:
        transparentBlt(r);
        break;
    case EmfRecord::MaskBlt:
        maskBlt(r);
        break;
    case EmfRecord::PlgBlt:
        plgBlt(r);
        break;
    case EmfRecord::SetTextAlign:
        s.textAlign = static_cast<int>(r.u32(8));
        break;
    case EmfRecord::SetTextColor:
        s.textColor = colorRef(r, 8);
        break;
    case EmfRecord::SetBkColor:
        s.backColor = colorRef(r, 8);
        break;
    case EmfRecord::MoveToEx:
        m_canvas.moveTo(pointL(r, 8));
        break;
    case EmfRecord::OffsetClipRgn:
        m_canvas.offsetClip(pointL(r, 8));
        break;
    case EmfRecord::SetBrushOrgEx:
        s.brushOrigin = pointL(r, 8);
        break;
    case EmfRecord::SetArcDirection:
        // AD_COUNTERCLOCKWISE or AD_CLOCKWISE.
        if (r.u32(8) == 1 || r.u32(8) == 2)
            s.arcsClockwise = r.u32(8) == 2;
        break;
    case EmfRecord::ExcludeClipRect:
        m_canvas.excludeClip(rectL(r, 8));
        break;
    case EmfRecord::IntersectClipRect:
        m_canvas.intersectClip(rectL(r, 8));
        break;
    case EmfRecord::ScaleViewportExtEx:
    case EmfRecord::ScaleWindowExtEx: {
        QSizeF &ext = type == EmfRecord::ScaleViewportExtEx ? s.viewportExt : s.windowExt;
        if (r.i32(12) != 0 && r.i32(20) != 0)
            ext = QSizeF(ext.width() * r.i32(8) / r.i32(12), ext.height() * r.i32(16) / r.i32(20));
        break;
    }
    case EmfRecord::SaveDc:
        m_canvas.saveDc();
        break;
    case EmfRecord::RestoreDc:
        m_canvas.restoreDc(r.i32(8));
        break;
    case EmfRecord::SetWorldTransform:
    case EmfRecord::ModifyWorldTransform:
        worldTransform(r, type == EmfRecord::ModifyWorldTransform);
        break;
    case EmfRecord::SelectObject:
        m_canvas.selectObject(r.u32(8));
        break;
    case EmfRecord::CreatePen:
        createPen(r, false);
        break;
    case EmfRecord::CreateBrushIndirect:
        createBrush(r);
        break;
    case EmfRecord::DeleteObject:
        m_canvas.deleteObject(r.u32(8));
        break;
    case EmfRecord::Ellipse:
        m_canvas.ellipse(rectL(r, 8));
        break;
    case EmfRecord::Rectangle:
        m_canvas.rectangle(rectL(r, 8));
        break;
    case EmfRecord::RoundRect:
        m_canvas.roundRect(rectL(r, 8), QSizeF(r.i32(24), r.i32(28)));
        break;
    case EmfRecord::Arc:
    case EmfRecord::Chord:
    case EmfRecord::Pie:
        m_canvas.arc(rectL(r, 8), pointL(r, 24), pointL(r, 32),
                     type == EmfRecord::Arc     ? Canvas::ArcOnly
                     : type == EmfRecord::Chord ? Canvas::Chord
                                                : Canvas::Pie);
        break;
    case EmfRecord::LineTo:
        m_canvas.lineTo(pointL(r, 8));
        break;
    case EmfRecord::BeginPath:
        m_canvas.beginPath();
        break;
    case EmfRecord::EndPath:
        m_canvas.endPath();
        break;
    case EmfRecord::CloseFigure:
        m_canvas.closeFigure();
        break;
    case EmfRecord::FillPath:
    case EmfRecord::StrokeAndFillPath:
    case EmfRecord::StrokePath:
        m_canvas.fillPath(type != EmfRecord::StrokePath, type != EmfRecord::FillPath);
        break;
    case EmfRecord::SelectClipPath:
        m_canvas.clipToPath(static_cast<int>(r.u32(8)));
        break;
    case EmfRecord::AbortPath:
        m_canvas.abortPath();
        break;
    case EmfRecord::ExtSelectClipRgn:
        clipRegion(r);
        break;
    case EmfRecord::BitBlt:
        if (r.has(0, 100))
            bitmap(r, QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36)),
                   QRectF(r.i32(44), r.i32(48), r.i32(32), r.i32(36)), 84, r.u32(80), r.u32(40),
                   false);
        break;
    case EmfRecord::StretchBlt:
        if (r.has(0, 108))
            bitmap(r, QRectF(r.i32(24), r.i32(28), r.i32(32), r.i32(36)),
                   QRectF(r.i32(44), r.i32(48), r.i32(100), r.i32(104)), 84, r.u32(80), r.u32(40),
                   false);
        break;
    case EmfRecord::SetDiBitsToDevice:
        setDiBitsToDevice(r);
        break;
    case EmfRecord::StretchDiBits:
        if (r.has(0, 80))
            bitmap(r, QRectF(r.i32(24), r.i32(28), r.i32(72), r.i32(76)),
                   QRectF(r.i32(32), r.i32(36), r.i32(40), r.i32(44)), 48, r.u32(64), r.u32(68),
                   true);
        break;
    case EmfRecord::SelectPalette:
        m_canvas.selectPalette(r.u32(8));
        break;
    case EmfRecord::CreatePalette:
        createPalette(r);
        break;
    case EmfRecord::ArcTo:
        m_canvas.arcTo(rectL(r, 8), pointL(r, 24), pointL(r, 32));
        break;
    case EmfRecord::FillRgn:
        if (const auto region = regionAt(r, 32, r.u32(24), m_regionBudget))
            m_canvas.fillRegion(*region, r.u32(28));
        break;
    case EmfRecord::FrameRgn:
        if (const auto region = regionAt(r, 40, r.u32(24), m_regionBudget))
            m_canvas.frameRegion(
                *region, r.u32(28),
                QSize(std::clamp(r.i32(32), 0, 1 << 16), std::clamp(r.i32(36), 0, 1 << 16)));
        break;
    case EmfRecord::InvertRgn:
    case EmfRecord::PaintRgn:
        if (const auto region = regionAt(r, 28, r.u32(24), m_regionBudget)) {
            if (type == EmfRecord::InvertRgn)
                m_canvas.invertRegion(*region);
            else
                m_canvas.fillRegion(*region, std::nullopt);
        }
        break;
    case EmfRecord::ExtCreateFontIndirectW:
        createFont(r);
        break;
    case EmfRecord::SmallTextOut:
        smallText(r);
        break;
    case EmfRecord::AlphaBlend:
        alphaBlend(r);
        break;
    case EmfRecord::GradientFill:
        gradientFill(r);
        break;
    case EmfRecord::ExtTextOutA:
    case EmfRecord::ExtTextOutW:
        text(r, type == EmfRecord::ExtTextOutW);
        break;
    case EmfRecord::CreateMonoBrush:
    case EmfRecord::CreateDibPatternBrushPt:
        createPatternBrush(r, type == EmfRecord::CreateMonoBrush);
        break;
    case EmfRecord::ExtCreatePen:
        createPen(r, true);
        break;
    default:
        qCDebug(lcPicture, "EMF record %u passed over", quint32(type));
        break;
    }
}

} // namespace

std::optional<QImage> playEmf(QByteArrayView data, qint64 maxPixels, PictureError *why)
{
    const ByteReader in(data);
    const qint64 headerSize = in.u32(4);
    if (pictureFormatOf(data) != PictureFormat::Emf || headerSize < headerMinimum ||
        !in.has(0, headerSize))
        return std::nullopt;
    // The frame, in hundredths of a millimetre, is the picture's physical size.
    const QRectF frame = rectL(in, 24);
    const std::optional<QSize> size =
        pictureSize(frame.width() / 2540, frame.height() / 2540, maxPixels, why);
    if (!size)
        return std::nullopt;
    const double deviceWidth = in.i32(72), deviceHeight = in.i32(76);
    const double mmWidth = in.i32(80), mmHeight = in.i32(84);
    const bool deviceKnown = deviceWidth > 0 && deviceHeight > 0 && mmWidth > 0 && mmHeight > 0;
    const double perMmX = deviceKnown ? deviceWidth / mmWidth : 96 / 25.4;
    const double perMmY = deviceKnown ? deviceHeight / mmHeight : 96 / 25.4;

    QImage image = blankPicture(*size);
    if (image.isNull()) {
        if (why)
            *why = PictureError::OverMemory;
        return std::nullopt;
    }
    {
        Canvas canvas(image, perMmX);
        // From the reference device's pixels to the picture's: the frame fills the picture.
        const QRectF frameDevice(frame.left() / 100 * perMmX, frame.top() / 100 * perMmY,
                                 frame.width() / 100 * perMmX, frame.height() / 100 * perMmY);
        canvas.setDeviceToImage(QTransform::fromTranslate(-frameDevice.left(), -frameDevice.top()) *
                                QTransform::fromScale(size->width() / frameDevice.width(),
                                                      size->height() / frameDevice.height()));
        EmfPlayer player(canvas, maxPixels);
        const qint64 declared = in.u32(48);
        const qint64 end = declared >= headerSize && declared < in.size() ? declared : in.size();
        qint64 offset = headerSize;
        for (qint64 count = 0; count < maxRecords && offset + 8 <= end; ++count) {
            const EmfRecord type = EmfRecord(in.u32(offset));
            const qint64 length = in.u32(offset + 4);
            if (length < 8 || length % 4 || length > end - offset || type == EmfRecord::Eof)
                break;
            player.play(type, in.sub(offset, length));
            offset += length;
        }
    }
    return image;
}

} // namespace picture::metafile
