#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <optional>
#include <variant>

namespace picture::metafile {

// GDI's constants, shared by both metafile formats.
namespace gdi {
constexpr int psNull = 5;
constexpr int bsSolid = 0, bsNull = 1, bsHatched = 2, bsPattern = 3, bsDibPattern = 5;
constexpr int transparentMode = 1, opaqueMode = 2;
constexpr int alternateFill = 1;
constexpr int mmText = 1, mmLoMetric = 2, mmHiMetric = 3, mmLoEnglish = 4, mmHiEnglish = 5,
              mmTwips = 6, mmIsotropic = 7, mmAnisotropic = 8;
constexpr int taUpdateCp = 1, taRight = 2, taCenter = 6, taBottom = 8, taBaseline = 24;
constexpr quint32 etoOpaque = 2, etoClipped = 4;
constexpr int shiftJisCharset = 128;
} // namespace gdi

struct LogPen
{
    int style = 0;
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

// What a slot of the object table holds; regions only keep their slot taken.
using GdiObject = std::variant<std::monostate, LogPen, LogBrush, LogFont, LogPalette>;

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
    int mapMode = gdi::mmText;
    QPointF windowOrg;
    QSizeF windowExt{1, 1};
    QPointF viewportOrg;
    QSizeF viewportExt{1, 1};
    QTransform world;
    QPointF position;
    // The logical palette that DIB_PAL_COLORS bitmaps index; empty for the default one.
    QList<QRgb> palette;
    // In picture pixels; none while nothing is clipped.
    std::optional<QPainterPath> clip;
};

} // namespace picture::metafile
