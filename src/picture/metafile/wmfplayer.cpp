#include "picture/metafile/wmfplayer.h"

#include "picture/bytereader.h"
#include "picture/metafile/canvas.h"
#include "picture/metafile/dib.h"
#include "picture/metafile/fields.h"
#include "picture/metafile/picturesize.h"
#include "picture/metafile/records.h"
#include "picture/metafile/textcodec.h"
#include "picture/pictureerror.h"
#include "picture/sniffer.h"

#include <QStringDecoder>

namespace picture::metafile {
namespace {

constexpr qint64 maxRecords = 1'000'000;
constexpr qint64 maxPatternPixels = 1 << 20;

// WMF parameters come last-first: y before x, bottom-right before top-left.
QPointF pointYX(const ByteReader &r, qint64 at)
{
    return QPointF(r.i16(at + 2), r.i16(at));
}
QRectF rectBRTL(const ByteReader &r, qint64 at)
{
    return QRectF(QPointF(r.i16(at + 6), r.i16(at + 4)), QPointF(r.i16(at + 2), r.i16(at)));
}

// Each record through a reader of its own, after its size was checked against the file.
// Whether the walk came to the end-of-file record, which a whole and sound file ends with.
template <typename Visit> bool forEachRecord(const ByteReader &in, qint64 start, Visit visit)
{
    qint64 offset = start;
    for (qint64 count = 0; count < maxRecords && offset + 6 <= in.size(); ++count) {
        const qint64 length = qint64(in.u32(offset)) * 2;
        const WmfRecord function = WmfRecord(in.u16(offset + 4));
        if (length < 6 || length > in.size() - offset)
            return false;
        if (function == WmfRecord::Eof)
            return true;
        if (!visit(function, in.sub(offset, length)))
            return false;
        offset += length;
    }
    return false;
}

class WmfPlayer
{
public:
    WmfPlayer(Canvas &canvas, bool placeable, qint64 maxPixels)
        : m_canvas(canvas), m_placeable(placeable), m_maxPixels(maxPixels)
    {
    }
    void play(WmfRecord function, const ByteReader &r);

private:
    QPolygonF points(const ByteReader &r, qint64 countAt) const;
    void polyPolygon(const ByteReader &r);
    void createFont(const ByteReader &r);
    void createPatternBrush(const ByteReader &r);
    void createBitmapPatternBrush(const ByteReader &r);
    void createPalette(const ByteReader &r);
    void createRegion(const ByteReader &r);
    void regionRecord(WmfRecord function, const ByteReader &r);
    void textOut(const ByteReader &r);
    void extTextOut(const ByteReader &r);
    void dibBlt(const ByteReader &r, bool stretch);
    void stretchDib(const ByteReader &r);
    void setDibToDev(const ByteReader &r);
    // rowsFromBottom: the source rectangle counts its rows from the bottom of a bottom-up
    // bitmap, as StretchDIB's and SetDIBitsToDevice's do.
    void drawDib(const ByteReader &r, qint64 dibAt, const QRectF &dest, const QRectF &source,
                 quint32 rop, bool rowsFromBottom, quint16 usage = 0);

    Canvas &m_canvas;
    bool m_placeable;
    qint64 m_maxPixels;
    // Rectangles that regions may still hold: joining them is not linear in their number.
    qint64 m_regionBudget = 65536;
};

QPolygonF WmfPlayer::points(const ByteReader &r, qint64 countAt) const
{
    const qint64 count = r.u16(countAt);
    QPolygonF out;
    if (!r.has(countAt + 2, count * 4))
        return out;
    for (qint64 i = 0; i < count; ++i)
        out << QPointF(r.i16(countAt + 2 + 4 * i), r.i16(countAt + 4 + 4 * i));
    return out;
}

void WmfPlayer::polyPolygon(const ByteReader &r)
{
    const qint64 polys = r.u16(6);
    qint64 at = 8 + polys * 2;
    if (!r.has(8, polys * 2))
        return;
    QList<QPolygonF> shapes;
    for (qint64 p = 0; p < polys; ++p) {
        const qint64 count = r.u16(8 + 2 * p);
        if (!r.has(at, count * 4))
            return;
        QPolygonF shape;
        for (qint64 i = 0; i < count; ++i, at += 4)
            shape << QPointF(r.i16(at), r.i16(at + 2));
        shapes << shape;
    }
    m_canvas.polyPolygon(shapes);
}

void WmfPlayer::createFont(const ByteReader &r)
{
    LogFont font;
    font.height = r.i16(6);
    font.escapement = r.i16(10);
    font.weight = r.i16(14);
    font.italic = r.u8(16);
    font.underline = r.u8(17);
    font.strikeOut = r.u8(18);
    font.charset = r.u8(19);
    // The face name is in the code page of the font's own character set.
    QByteArray face;
    for (qint64 i = 24; i < 24 + 32 && r.has(i, 1) && r.u8(i); ++i)
        face += char(r.u8(i));
    font.face = decodeCharsetText(face, font.charset, {}).text;
    m_canvas.storeInFreeSlot(font);
}

void WmfPlayer::createPatternBrush(const ByteReader &r)
{
    LogBrush brush;
    brush.style = gdi::bsDibPattern;
    brush.color = Qt::gray;
    // A BS_PATTERN brush's bitmap has colours of its own, whatever the usage field says.
    const quint16 usage = r.u16(6) == gdi::bsPattern ? 0 : r.u16(8);
    if (usage <= 1) {
        const QList<QRgb> palette = m_canvas.logicalPalette();
        if (const std::optional<Dib> dib = decodePackedDib(
                r.bytes(10, r.size() - 10), maxPatternPixels, usage == 1 ? &palette : nullptr))
            brush.pattern = dib->image;
    }
    m_canvas.storeInFreeSlot(brush);
}

void WmfPlayer::createBitmapPatternBrush(const ByteReader &r)
{
    // A device-dependent bitmap: a BITMAP16 header, reserved bytes, then its rows top-down,
    // each padded to a 16-bit word. Only monochrome ones have colours that do not depend on
    // the device that made them; the others paint grey.
    constexpr qint64 patternAt = 38;
    LogBrush brush;
    brush.style = gdi::bsPattern;
    brush.color = Qt::gray;
    const int width = r.i16(8), height = r.i16(10), widthBytes = r.i16(12);
    if (r.u8(14) == 1 && r.u8(15) == 1 && width > 0 && height > 0 && width <= 256 &&
        height <= 256 && widthBytes >= (width + 7) / 8 &&
        r.has(patternAt, qint64(widthBytes) * height)) {
        QImage pattern(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool set =
                    (r.u8(patternAt + qint64(y) * widthBytes + x / 8) >> (7 - x % 8)) & 1;
                pattern.setPixel(x, y, set ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
            }
        brush.pattern = pattern;
        brush.mono = true;
    }
    m_canvas.storeInFreeSlot(brush);
}

void WmfPlayer::createPalette(const ByteReader &r)
{
    const qint64 count = r.u16(8);
    LogPalette palette;
    if (r.has(10, count * 4)) {
        for (qint64 i = 0; i < count; ++i)
            palette.colours << qRgb(r.u8(10 + 4 * i), r.u8(11 + 4 * i), r.u8(12 + 4 * i));
    }
    m_canvas.storeInFreeSlot(palette);
}

void WmfPlayer::createRegion(const ByteReader &r)
{
    // A region object: a header of 22 bytes, then its scans, each a band of rows with the
    // left and right ends of the runs it covers, ends excluded.
    constexpr qint64 scansAt = 6 + 22;
    constexpr qint64 maxRects = 8192;
    const qint64 scans = r.u16(6 + 10);
    QRegion region;
    qint64 at = scansAt, rects = 0;
    for (qint64 i = 0; i < scans; ++i) {
        const qint64 ends = r.u16(at);
        const int top = r.i16(at + 2), bottom = r.i16(at + 4);
        rects += ends / 2;
        if (ends % 2 || !r.has(at, 8 + ends * 2) || rects > std::min(maxRects, m_regionBudget)) {
            m_canvas.storeInFreeSlot(std::monostate{});
            return;
        }
        for (qint64 e = 0; e < ends; e += 2) {
            const int left = r.i16(at + 6 + e * 2), right = r.i16(at + 8 + e * 2);
            if (right > left && bottom > top)
                region += QRect(left, top, right - left, bottom - top);
        }
        at += 8 + ends * 2;
    }
    m_regionBudget -= rects;
    m_canvas.storeInFreeSlot(LogRegion{region});
}

void WmfPlayer::regionRecord(WmfRecord function, const ByteReader &r)
{
    const std::optional<QRegion> region = m_canvas.regionAt(r.u16(6));
    if (!region)
        return;
    switch (function) {
    case WmfRecord::SelectClipRegion:
        m_canvas.clipToRegion(*region);
        break;
    case WmfRecord::PaintRegion:
        m_canvas.fillRegion(*region, std::nullopt);
        break;
    case WmfRecord::InvertRegion:
        m_canvas.invertRegion(*region);
        break;
    case WmfRecord::FillRegion:
        m_canvas.fillRegion(*region, r.u16(8));
        break;
    case WmfRecord::FrameRegion:
        m_canvas.frameRegion(*region, r.u16(8),
                             QSize(std::max<int>(r.i16(12), 0), std::max<int>(r.i16(10), 0)));
        break;
    default:
        break;
    }
}

void WmfPlayer::textOut(const ByteReader &r)
{
    const qint64 length = r.u16(6);
    const qint64 padded = length + (length & 1);
    if (!r.has(8 + padded, 4))
        return;
    TextRun run;
    run.reference = pointYX(r, 8 + padded);
    run.text = decodeCharsetText(r.bytes(8, length), m_canvas.state().font.charset, {}).text;
    m_canvas.textOut(run);
}

void WmfPlayer::extTextOut(const ByteReader &r)
{
    if (!r.has(0, 14))
        return;
    TextRun run;
    run.reference = pointYX(r, 6);
    const qint64 length = r.u16(10);
    run.options = r.u16(12);
    qint64 at = 14;
    if (run.options & (gdi::etoOpaque | gdi::etoClipped)) {
        run.rect = QRectF(QPointF(r.i16(14), r.i16(16)), QPointF(r.i16(18), r.i16(20)));
        at += 8;
    }
    const QByteArrayView bytes = r.bytes(at, length);
    if (bytes.size() != length)
        return;
    const qint64 dxAt = at + length + (length & 1);
    QList<double> byteAdvances;
    if (r.has(dxAt, length * 2)) {
        for (qint64 i = 0; i < length; ++i)
            byteAdvances << r.i16(dxAt + 2 * i);
    }
    DecodedText decoded = decodeCharsetText(bytes, m_canvas.state().font.charset, byteAdvances);
    run.text = decoded.text;
    run.advances = decoded.advances;
    m_canvas.textOut(run);
}

void WmfPlayer::drawDib(const ByteReader &r, qint64 dibAt, const QRectF &dest, const QRectF &source,
                        quint32 rop, bool rowsFromBottom, quint16 usage)
{
    // DIB_PAL_COLORS bitmaps index the selected palette with their colour table.
    const QList<QRgb> palette = m_canvas.logicalPalette();
    const std::optional<Dib> dib = decodePackedDib(r.bytes(dibAt, r.size() - dibAt), m_maxPixels,
                                                   usage == 1 ? &palette : nullptr);
    if (dib)
        m_canvas.drawBitmap(dest, *dib, source, rop, rowsFromBottom);
}

void WmfPlayer::dibBlt(const ByteReader &r, bool stretch)
{
    const quint32 rop = r.u32(6);
    // Without a bitmap the record has one more reserved word and paints with the brush.
    const qint64 plainWords = stretch ? 14 : 12;
    if (r.size() / 2 == plainWords) {
        const qint64 at = stretch ? 20 : 16;
        const QPointF size(r.i16(at + 2), r.i16(at));
        m_canvas.patBlt(QRectF(pointYX(r, at + 4), QSizeF(size.x(), size.y())), rop);
        return;
    }
    if (stretch) {
        const QRectF source(pointYX(r, 14), QSizeF(r.i16(12), r.i16(10)));
        const QRectF dest(pointYX(r, 22), QSizeF(r.i16(20), r.i16(18)));
        drawDib(r, 26, dest, source, rop, false);
    } else {
        const QSizeF size(r.i16(16), r.i16(14));
        drawDib(r, 22, QRectF(pointYX(r, 18), size), QRectF(pointYX(r, 10), size), rop, false);
    }
}

void WmfPlayer::stretchDib(const ByteReader &r)
{
    if (r.u16(10) > 1)
        return;
    const QRectF source(pointYX(r, 16), QSizeF(r.i16(14), r.i16(12)));
    const QRectF dest(pointYX(r, 24), QSizeF(r.i16(22), r.i16(20)));
    drawDib(r, 28, dest, source, r.u32(6), true, r.u16(10));
}

void WmfPlayer::setDibToDev(const ByteReader &r)
{
    const quint16 usage = r.u16(6);
    if (usage > 1)
        return;
    const QList<QRgb> palette = m_canvas.logicalPalette();
    const std::optional<Dib> band =
        decodePackedDibBand(r.bytes(24, r.size() - 24), r.u16(10), r.u16(8), m_maxPixels,
                            usage == 1 ? &palette : nullptr);
    if (band)
        m_canvas.drawScanLines(pointYX(r, 20), *band,
                               QRectF(pointYX(r, 12), QSizeF(r.i16(18), r.i16(16))), r.u16(10));
}

void WmfPlayer::play(WmfRecord function, const ByteReader &r)
{
    DcState &s = m_canvas.state();
    switch (function) {
    case WmfRecord::SetBkColor:
        s.backColor = colorRef(r, 6);
        break;
    case WmfRecord::SetBkMode:
        s.backMode = r.u16(6);
        break;
    case WmfRecord::SetMapMode:
        if (r.u16(6) >= gdi::mmText && r.u16(6) <= gdi::mmAnisotropic)
            s.mapMode = r.u16(6);
        break;
    case WmfRecord::SetPolyFillMode:
        s.polyFillMode = r.u16(6);
        break;
    case WmfRecord::SetRop2:
        if (r.u16(6) >= gdi::r2Black && r.u16(6) <= gdi::r2White)
            s.rop2 = r.u16(6);
        break;
    case WmfRecord::CreateRegion:
        createRegion(r);
        break;
    case WmfRecord::SelectClipRegion:
    case WmfRecord::PaintRegion:
    case WmfRecord::InvertRegion:
    case WmfRecord::FillRegion:
    case WmfRecord::FrameRegion:
        regionRecord(function, r);
        break;
    case WmfRecord::SetTextColor:
        s.textColor = colorRef(r, 6);
        break;
    case WmfRecord::SetWindowOrg:
        s.windowOrg = pointYX(r, 6);
        break;
    case WmfRecord::SetWindowExt: {
        const QPointF ext = pointYX(r, 6);
        s.windowExt = QSizeF(ext.x(), ext.y());
        break;
    }
    // A placeable file is played into the frame its header gives, whatever viewport the
    // device that recorded it had.
    case WmfRecord::SetViewportOrg:
        if (!m_placeable)
            s.viewportOrg = pointYX(r, 6);
        break;
    case WmfRecord::SetViewportExt:
        if (!m_placeable) {
            const QPointF ext = pointYX(r, 6);
            s.viewportExt = QSizeF(ext.x(), ext.y());
        }
        break;
    case WmfRecord::OffsetWindowOrg:
        s.windowOrg += pointYX(r, 6);
        break;
    case WmfRecord::OffsetViewportOrg:
        if (!m_placeable)
            s.viewportOrg += pointYX(r, 6);
        break;
    case WmfRecord::ScaleWindowExt:
    case WmfRecord::ScaleViewportExt: {
        if (function == WmfRecord::ScaleViewportExt && m_placeable)
            break;
        QSizeF &ext = function == WmfRecord::ScaleWindowExt ? s.windowExt : s.viewportExt;
        if (r.i16(6) != 0 && r.i16(10) != 0)
            ext = QSizeF(ext.width() * r.i16(12) / r.i16(10), ext.height() * r.i16(8) / r.i16(6));
        break;
    }
    case WmfRecord::LineTo:
        m_canvas.lineTo(pointYX(r, 6));
        break;
    case WmfRecord::MoveTo:
        m_canvas.moveTo(pointYX(r, 6));
        break;
    case WmfRecord::ExcludeClipRect:
        m_canvas.excludeClip(rectBRTL(r, 6));
        break;
    case WmfRecord::IntersectClipRect:
        m_canvas.intersectClip(rectBRTL(r, 6));
        break;
    case WmfRecord::OffsetClipRgn:
        m_canvas.offsetClip(pointYX(r, 6));
        break;
    case WmfRecord::Arc:
    case WmfRecord::Pie:
    case WmfRecord::Chord:
        m_canvas.arc(rectBRTL(r, 14), pointYX(r, 10), pointYX(r, 6),
                     function == WmfRecord::Arc   ? Canvas::ArcOnly
                     : function == WmfRecord::Pie ? Canvas::Pie
                                                  : Canvas::Chord);
        break;
    case WmfRecord::Ellipse:
        m_canvas.ellipse(rectBRTL(r, 6));
        break;
    case WmfRecord::Rectangle:
        m_canvas.rectangle(rectBRTL(r, 6));
        break;
    case WmfRecord::RoundRect:
        m_canvas.roundRect(rectBRTL(r, 10), QSizeF(r.i16(8), r.i16(6)));
        break;
    case WmfRecord::PatBlt:
        m_canvas.patBlt(QRectF(pointYX(r, 14), QSizeF(r.i16(12), r.i16(10))), r.u32(6));
        break;
    case WmfRecord::SaveDc:
        m_canvas.saveDc();
        break;
    case WmfRecord::SetPixel:
        m_canvas.setPixel(pointYX(r, 10), colorRef(r, 6));
        break;
    case WmfRecord::TextOut:
        textOut(r);
        break;
    case WmfRecord::Polygon:
        m_canvas.polygon(points(r, 6));
        break;
    case WmfRecord::Polyline:
        m_canvas.polyline(points(r, 6));
        break;
    case WmfRecord::RestoreDc:
        m_canvas.restoreDc(r.i16(6));
        break;
    case WmfRecord::SelectObject:
        m_canvas.selectObject(r.u16(6));
        break;
    case WmfRecord::SetTextAlign:
        s.textAlign = r.u16(6);
        break;
    case WmfRecord::ExtTextOut:
        extTextOut(r);
        break;
    case WmfRecord::PolyPolygon:
        polyPolygon(r);
        break;
    case WmfRecord::DibBitBlt:
    case WmfRecord::DibStretchBlt:
        dibBlt(r, function == WmfRecord::DibStretchBlt);
        break;
    case WmfRecord::StretchDib:
        stretchDib(r);
        break;
    case WmfRecord::SetDibToDev:
        setDibToDev(r);
        break;
    case WmfRecord::DibCreatePatternBrush:
        createPatternBrush(r);
        break;
    case WmfRecord::DeleteObject:
        m_canvas.deleteObject(r.u16(6));
        break;
    case WmfRecord::CreatePenIndirect: {
        LogPen pen;
        pen.style = r.u16(6);
        pen.width = r.i16(8);
        pen.color = colorRef(r, 12);
        m_canvas.storeInFreeSlot(pen);
        break;
    }
    case WmfRecord::CreateFontIndirect:
        createFont(r);
        break;
    case WmfRecord::CreateBrushIndirect: {
        LogBrush brush;
        brush.style = r.u16(6);
        brush.color = colorRef(r, 8);
        brush.hatch = r.u16(12);
        m_canvas.storeInFreeSlot(brush);
        break;
    }
    case WmfRecord::CreatePatternBrush:
        createBitmapPatternBrush(r);
        break;
    case WmfRecord::CreatePalette:
        createPalette(r);
        break;
    case WmfRecord::SelectPalette:
        m_canvas.selectPalette(r.u16(6));
        break;
    // Old bitmaps are not drawn, but take a slot like any object.
    case WmfRecord::CreateBitmapIndirect:
    case WmfRecord::CreateBitmap:
        m_canvas.storeInFreeSlot(std::monostate{});
        break;
    default:
        qCDebug(lcPicture, "WMF record 0x%04x passed over", unsigned(function));
        break;
    }
}

struct Layout
{
    QSize size;
    QPointF windowOrg;
    QSizeF windowExt;
};

std::optional<Layout> placeableLayout(const ByteReader &in, qint64 maxPixels, PictureError *why)
{
    const QRectF box(QPointF(in.i16(6), in.i16(8)), QPointF(in.i16(10), in.i16(12)));
    const double unitsPerInch = in.u16(14);
    if (unitsPerInch <= 0)
        return std::nullopt;
    const std::optional<QSize> size =
        pictureSize(box.width() / unitsPerInch, box.height() / unitsPerInch, maxPixels, why);
    if (!size)
        return std::nullopt;
    return Layout{*size, box.topLeft(), box.size()};
}

std::optional<Layout> plainLayout(const ByteReader &in, qint64 start, qint64 maxPixels,
                                  PictureError *why)
{
    int mapMode = gdi::mmText;
    std::optional<QPointF> org;
    std::optional<QSizeF> windowExt, viewportExt;
    const bool whole = forEachRecord(in, start, [&](WmfRecord function, const ByteReader &r) {
        const QPointF value = pointYX(r, 6);
        if (function == WmfRecord::SetMapMode)
            mapMode = r.u16(6);
        else if (function == WmfRecord::SetWindowOrg && !org)
            org = value;
        else if (function == WmfRecord::SetWindowExt && !windowExt)
            windowExt = QSizeF(value.x(), value.y());
        else if (function == WmfRecord::SetViewportExt && !viewportExt)
            viewportExt = QSizeF(value.x(), value.y());
        return !(windowExt && viewportExt && org);
    });
    // Without a placeable header, only the window's extent says how large the picture is; a
    // whole file that never sets it cannot be drawn at any size, which is no damage.
    if (!windowExt) {
        if (whole && why)
            *why = PictureError::Unsupported;
        return std::nullopt;
    }
    const bool scalable = mapMode == gdi::mmIsotropic || mapMode == gdi::mmAnisotropic;
    std::optional<QSize> size;
    if (scalable && viewportExt) {
        size = pictureSize(std::abs(viewportExt->width()) / 96,
                           std::abs(viewportExt->height()) / 96, maxPixels, why);
    } else {
        const double unitsPerInch =
            mapMode == gdi::mmText ? 96 : gdi::metricUnitsPerInch(mapMode).value_or(1440);
        size = pictureSize(std::abs(windowExt->width()) / unitsPerInch,
                           std::abs(windowExt->height()) / unitsPerInch, maxPixels, why);
    }
    if (!size)
        return std::nullopt;
    return Layout{*size, org.value_or(QPointF()), *windowExt};
}

} // namespace

std::optional<QImage> playWmf(QByteArrayView data, qint64 maxPixels, PictureError *why)
{
    const ByteReader in(data);
    const bool placeable = in.has(0, 4) && in.u32(0) == wmfPlaceableKey;
    const qint64 headerAt = placeable ? wmfPlaceableSize : 0;
    if (!isWmfHeader(in, headerAt))
        return std::nullopt;
    const qint64 recordsAt = headerAt + wmfHeaderSize;
    const std::optional<Layout> layout = placeable ? placeableLayout(in, maxPixels, why)
                                                   : plainLayout(in, recordsAt, maxPixels, why);
    if (!layout)
        return std::nullopt;
    QImage image = blankPicture(layout->size);
    if (image.isNull()) {
        if (why)
            *why = PictureError::OverMemory;
        return std::nullopt;
    }
    {
        Canvas canvas(image, 96 / 25.4);
        // The window the file sets is mapped onto the whole picture, as a program playing a
        // metafile into a frame does; until it sets one, the frame's own extent is assumed.
        DcState &s = canvas.state();
        s.mapMode = gdi::mmAnisotropic;
        s.windowOrg = layout->windowOrg;
        s.windowExt = layout->windowExt;
        s.viewportExt = QSizeF(layout->size);
        WmfPlayer player(canvas, placeable, maxPixels);
        forEachRecord(in, recordsAt, [&](WmfRecord function, const ByteReader &r) {
            player.play(function, r);
            return true;
        });
    }
    return image;
}

} // namespace picture::metafile
