#include "picture/metafile/canvas.h"

#include "fonts/fonts.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace picture::metafile {
namespace {

// GDI's font when a file asks for none: about 16 device pixels high.
constexpr double defaultFontPixels = 16;

// Past this size text is filled as outlines: Qt draws the glyphs of bitmap fonts, and the
// boxes of characters no font has, through a glyph cache at any size, which for one glyph
// of the largest size a file can ask for takes gigabytes.
constexpr double largestCachedGlyphPixels = 256;

// The face that stands in for a font the file names, or for a nameless one the face its
// character set would have got on a Japanese Windows.
QString fontFamily(const LogFont &font)
{
    QString requested = font.face.trimmed();
    if (requested.isEmpty() && font.charset == gdi::shiftJisCharset)
        requested = QStringLiteral("ＭＳ Ｐゴシック");
    if (requested.isEmpty())
        return {};
    return fonts::resolvedFamily(requested).value_or(QString());
}

// The text in the painter's font and pen colour, with its baseline starting at a point.
void drawText(QPainter &painter, const QPointF &at, const QString &text)
{
    const QFont font = painter.font();
    if (font.pointSizeF() * 96.0 / 72.0 <= largestCachedGlyphPixels) {
        painter.drawText(at, text);
        return;
    }
    QPainterPath outlines;
    outlines.addText(at, font, text);
    painter.fillPath(outlines, painter.pen().color());
}

} // namespace

QFont Canvas::currentFont(double pixelSize) const
{
    const LogFont &f = m_state.font;
    QFont font;
    const QString family = fontFamily(f);
    if (!family.isEmpty())
        font.setFamilies({family});
    // Point sizes are fractional where pixel sizes are not; the picture is at 96 dpi.
    font.setPointSizeF(std::max(pixelSize, 0.5) * 72.0 / 96.0);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight > 0 ? f.weight : 400, 1, 1000)));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

void Canvas::textOut(const TextRun &run)
{
    const DcState &s = m_state;
    const QTransform toImage = logicalToImage();
    const double scaleX = std::hypot(toImage.m11(), toImage.m12());
    const double scaleY = std::hypot(toImage.m21(), toImage.m22());
    const bool updatesPosition = s.textAlign & gdi::taUpdateCp;
    const QPointF reference = updatesPosition ? s.position : run.reference;

    // A negative height is the em size; a positive one the whole cell, leading included.
    double pixels = std::abs(s.font.height) * scaleY;
    if (pixels <= 0 || !std::isfinite(pixels))
        pixels = defaultFontPixels;
    pixels = std::min(pixels, 32767.0);
    QFont font = currentFont(pixels);
    if (s.font.height > 0) {
        const QFontMetricsF cell(font, &m_image);
        const double cellHeight = cell.ascent() + cell.descent();
        if (cellHeight > 0)
            font = currentFont(pixels * pixels / cellHeight);
    }
    const QFontMetricsF metrics(font, &m_image);

    QList<double> advances;
    double width = 0;
    if (run.advances.size() >= run.text.size()) {
        for (qsizetype i = 0; i < run.text.size(); ++i) {
            advances << run.advances[i] * scaleX;
            width += advances.last();
        }
    } else {
        width = metrics.horizontalAdvance(run.text);
    }

    prepare(false);
    if (run.rect && (run.options & gdi::etoOpaque)) {
        m_painter.setTransform(toImage);
        m_painter.fillRect(run.rect->normalized(), s.backColor);
        m_painter.setTransform(QTransform());
    }
    if (run.rect && (run.options & gdi::etoClipped)) {
        QPainterPath area;
        area.addRect(run.rect->normalized());
        m_painter.setClipPath(toImage.map(area), s.clip ? Qt::IntersectClip : Qt::ReplaceClip);
    }

    double left = 0;
    if ((s.textAlign & gdi::taCenter) == gdi::taCenter)
        left = -width / 2;
    else if (s.textAlign & gdi::taRight)
        left = -width;
    double baseline = metrics.ascent();
    if ((s.textAlign & gdi::taBaseline) == gdi::taBaseline)
        baseline = 0;
    else if (s.textAlign & gdi::taBottom)
        baseline = -metrics.descent();

    QTransform placed;
    const QPointF origin = toImage.map(reference);
    placed.translate(origin.x(), origin.y());
    // Outline fonts turn counter-clockwise as the logical coordinates see it: on the picture
    // that is counter-clockwise while y points down, and clockwise under a mapping that
    // mirrors one axis, as the metric modes do. Taken as a double: the escapement is any
    // 32-bit number a file holds, -2^31 too.
    const double turn = s.font.escapement / 10.0;
    const bool mirrored = toImage.m11() * toImage.m22() - toImage.m12() * toImage.m21() < 0;
    placed.rotate(mirrored ? turn : -turn);
    m_painter.setTransform(placed);
    if (s.backMode == gdi::opaqueMode)
        m_painter.fillRect(
            QRectF(left, baseline - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
            s.backColor);
    m_painter.setFont(font);
    m_painter.setPen(s.textColor);
    if (advances.isEmpty()) {
        drawText(m_painter, QPointF(left, baseline), run.text);
    } else {
        double x = left;
        for (qsizetype i = 0; i < run.text.size(); ++i) {
            const bool pair = run.text[i].isHighSurrogate() && i + 1 < run.text.size();
            drawText(m_painter, QPointF(x, baseline), run.text.mid(i, pair ? 2 : 1));
            x += advances[i];
            if (pair)
                x += advances[++i];
        }
    }
    if (updatesPosition && scaleX > 0)
        m_state.position = reference + QPointF(width / scaleX, 0);
}

} // namespace picture::metafile
