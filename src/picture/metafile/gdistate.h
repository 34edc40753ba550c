#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRegion>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <optional>
#include <variant>

namespace picture::metafile {

// GDI's constants, shared by both metafile formats.
namespace gdi {
// Pen styles: the line pattern in the low bits, then the end cap, the join and whether the pen
// is geometric (its width scales with the mapping) or cosmetic.
enum PenStyle : quint32 {
    psSolid = 0,
    psDash = 1,
    psDot = 2,
    psDashDot = 3,
    psDashDotDot = 4,
    psNull = 5,
    psStyleMask = 0x0000000F,
    psEndCapRound = 0x00000000,
    psEndCapSquare = 0x00000100,
    psEndCapFlat = 0x00000200,
    psEndCapMask = 0x00000F00,
    psJoinRound = 0x00000000,
    psJoinBevel = 0x00001000,
    psJoinMiter = 0x00002000,
    psJoinMask = 0x0000F000,
    psGeometric = 0x00010000,
};
enum HatchStyle : int {
    hsHorizontal = 0,
    hsVertical = 1,
    hsForwardDiagonal = 2,
    hsBackwardDiagonal = 3,
    hsCross = 4,
    hsDiagonalCross = 5,
};
// The stock objects, as an object slot with the top bit set names them.
enum StockObject : quint32 {
    whiteBrush = 0,
    blackBrush = 4,
    nullBrush = 5,
    whitePen = 6,
    blackPen = 7,
    nullPen = 8,
    oemFixedFont = 10,
    defaultPalette = 15,
    defaultGuiFont = 17,
};
// How a region combines with the clip.
enum RegionMode : int { rgnAnd = 1, rgnOr = 2, rgnXor = 3, rgnDiff = 4, rgnCopy = 5 };
// The binary raster operations of pens and brushes over the page, R2_BLACK to R2_WHITE.
enum Rop2 : int {
    r2Black = 1,
    r2NotMergePen = 2,
    r2MaskNotPen = 3,
    r2NotCopyPen = 4,
    r2MaskPenNot = 5,
    r2Not = 6,
    r2XorPen = 7,
    r2NotMaskPen = 8,
    r2MaskPen = 9,
    r2NotXorPen = 10,
    r2Nop = 11,
    r2MergeNotPen = 12,
    r2CopyPen = 13,
    r2MergePenNot = 14,
    r2MergePen = 15,
    r2White = 16,
};
// The ternary raster operations the canvas draws without combining pixels itself.
enum RasterOperation : quint32 {
    blackness = 0x00000042,
    dstInvert = 0x00550009,
    srcCopy = 0x00CC0020,
    patCopy = 0x00F00021,
    whiteness = 0x00FF0062,
};
constexpr int bsSolid = 0, bsNull = 1, bsHatched = 2, bsPattern = 3, bsDibPattern = 5;
constexpr int transparentMode = 1, opaqueMode = 2;
constexpr int alternateFill = 1;
constexpr int mmText = 1, mmLoMetric = 2, mmHiMetric = 3, mmLoEnglish = 4, mmHiEnglish = 5,
              mmTwips = 6, mmIsotropic = 7, mmAnisotropic = 8;
// The units of a metric mapping mode per inch, or nothing for the modes that are not metric.
constexpr std::optional<double> metricUnitsPerInch(int mapMode)
{
    switch (mapMode) {
    case mmLoMetric:
        return 254;
    case mmHiMetric:
        return 2540;
    case mmLoEnglish:
        return 100;
    case mmHiEnglish:
        return 1000;
    case mmTwips:
        return 1440;
    default:
        return std::nullopt;
    }
}
constexpr int taUpdateCp = 1, taRight = 2, taCenter = 6, taBottom = 8, taBaseline = 24;
constexpr quint32 etoOpaque = 2, etoClipped = 4;
constexpr int shiftJisCharset = 128;
} // namespace gdi

struct LogPen
{
    quint32 style = gdi::psSolid;
    double width = 0;
    QColor color = Qt::black;
};

struct LogBrush
{
    int style = gdi::bsSolid;
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
    // A monochrome pattern takes the text colour for its dark pixels and the background
    // colour for its light ones, as they are when the brush is used.
    bool mono = false;
};

struct LogFont
{
    double height = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;
    QString face;
};

struct LogPalette
{
    QList<QRgb> colours;
};

// A region a Windows metafile made, in logical units.
struct LogRegion
{
    QRegion region;
};

// What a slot of the object table holds; other objects only keep their slot taken.
using GdiObject = std::variant<std::monostate, LogPen, LogBrush, LogFont, LogPalette, LogRegion>;

// The device context state that SaveDC keeps and RestoreDC brings back.
struct DcState
{
    LogPen pen;
    LogBrush brush;
    LogFont font;
    QColor textColor = Qt::black;
    QColor backColor = Qt::white;
    int backMode = gdi::opaqueMode;
    int textAlign = 0;
    int polyFillMode = gdi::alternateFill;
    int rop2 = gdi::r2CopyPen;
    // The longest miter join, as the ratio of its length (from the inner corner to the tip)
    // to the pen's width; a longer one is bevelled.
    double miterLimit = 10;
    int mapMode = gdi::mmText;
    QPointF windowOrg;
    QSizeF windowExt{1, 1};
    QPointF viewportOrg;
    QSizeF viewportExt{1, 1};
    QTransform world;
    QPointF position;
    // Arcs, chords and pies run counterclockwise from their start unless this says otherwise.
    bool arcsClockwise = false;
    // Where pattern brushes lay their first tile, in device units.
    QPointF brushOrigin;
    // The logical palette that DIB_PAL_COLORS bitmaps index; empty for the default one.
    QList<QRgb> palette;
    // In picture pixels; none while nothing is clipped.
    std::optional<QPainterPath> clip;
};

} // namespace picture::metafile
