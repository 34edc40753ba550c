// Metafiles written by hand, record by record, each showing one behaviour of GDI, with what
// they must draw.
#include "support/metafile_fixtures.h"

#include "picture/metafile/records.h"

#include <QStringEncoder>

#include <cstring>
#include <initializer_list>

namespace fixtures {
namespace {

using toolkit::metafile::EmfRecord;
using toolkit::metafile::WmfRecord;

const QColor none;
const QColor black(0, 0, 0);
const QColor white(255, 255, 255);
constexpr int W = pictureWidth, H = pictureHeight;

QByteArray words(std::initializer_list<qint64> values)
{
    QByteArray out;
    for (qint64 v : values)
        for (int i = 0; i < 4; ++i)
            out += char(quint32(v) >> (8 * i));
    return out;
}

QByteArray halves(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v & 0xff), out += char((v >> 8) & 0xff);
    return out;
}

QByteArray padded(QByteArray bytes, int to)
{
    while (bytes.size() % to)
        bytes += '\0';
    return bytes;
}

qint32 colorref(const QColor &c)
{
    return c.red() | c.green() << 8 | c.blue() << 16;
}

// A BITMAPINFOHEADER and its colour table (RGBQUADs, or 16-bit palette indexes).
QByteArray dibInfo(int width, int height, int bpp, int compression, const QByteArray &table,
                   int indexes = 0)
{
    const int colours = indexes ? indexes : table.size() / 4;
    return words({40, width, height}) + halves({1, qint16(bpp)}) +
           words({compression, 0, 0, 0, colours, 0}) + table;
}

QByteArray quads(std::initializer_list<QColor> colours)
{
    QByteArray out;
    for (const QColor &c : colours)
        out += words({c.blue() | c.green() << 8 | c.red() << 16});
    return out;
}

QByteArray utf16(const QString &text)
{
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

// An EMF of the fixtures' size on a reference device of 96 dpi, so that logical units are
// pixels until a record maps them otherwise; it starts transparent with a null pen.
class Emf
{
public:
    Emf()
    {
        add(EmfRecord::SetBkMode, {1});
        add(EmfRecord::CreatePen, {0, 5, 0, 0, 0});
        add(EmfRecord::SelectObject, {0});
    }
    void add(EmfRecord type, std::initializer_list<qint64> fields, const QByteArray &tail = {})
    {
        const QByteArray body = padded(words(fields) + tail, 4);
        m_records += words({qint32(type), qint32(8 + body.size())}) + body;
        ++m_count;
    }
    void brush(const QColor &c) { select(EmfRecord::CreateBrushIndirect, {0, colorref(c), 0}); }
    void pen(int width, const QColor &c)
    {
        select(EmfRecord::CreatePen, {0, width, 0, colorref(c)});
    }
    void font(qint32 height, qint32 escapement)
    {
        select(EmfRecord::ExtCreateFontIndirectW, {height, 0, escapement, escapement, 400},
               words({qint32(0x80000000)}) + words({0}) + padded(utf16(face), 64));
    }
    // Creates an object in the next slot and selects it.
    qint32 select(EmfRecord type, std::initializer_list<qint64> fields, const QByteArray &tail = {})
    {
        QByteArray body = words({m_slot}) + words(fields);
        add(type, {}, body + tail);
        add(EmfRecord::SelectObject, {m_slot});
        return m_slot++;
    }
    void text(const QPoint &at, const QString &s, qint32 step, const QRect &bounds)
    {
        const QByteArray string = padded(utf16(s), 4);
        QByteArray dx;
        for (int i = 0; i < s.size(); ++i)
            dx += words({step});
        add(EmfRecord::ExtTextOutW,
            {bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1, 1, 0, 0, at.x(),
             at.y(), qint32(s.size()), 76, 0, 0, 0, -1, -1, qint32(76 + string.size())},
            string + dx);
    }
    void stretchDib(const QRect &to, const QSize &from, const QByteArray &info,
                    const QByteArray &bits, qint32 rop, qint32 usage = 0)
    {
        const QByteArray head = padded(info, 4);
        add(EmfRecord::StretchDiBits,
            {to.left(), to.top(), to.right() + 1, to.bottom() + 1, to.x(), to.y(), 0, 0,
             from.width(), from.height(), 80, qint32(info.size()), qint32(80 + head.size()),
             qint32(bits.size()), usage, rop, to.width(), to.height()},
            head + bits);
    }
    QByteArray bytes() const
    {
        const QByteArray eof = words({qint32(EmfRecord::Eof), 20, 0, 16, 20});
        const qint32 total = 88 + m_records.size() + eof.size();
        return words({1,
                      88,
                      0,
                      0,
                      W,
                      H,
                      0,
                      0,
                      W * 2540 / 96,
                      H * 2540 / 96,
                      0x464D4520,
                      0x10000,
                      total,
                      m_count + 2,
                      m_slot,
                      0,
                      0,
                      0,
                      960,
                      480,
                      254,
                      127}) +
               m_records + eof;
    }

    static inline const QString face = QStringLiteral("ＭＳ ゴシック");

private:
    QByteArray m_records;
    qint32 m_count = 0;
    qint32 m_slot = 1;
};

// A placeable WMF of the fixtures' size whose logical units are twips, starting transparent
// with a null pen in slot 0.
class Wmf
{
public:
    Wmf()
    {
        add(WmfRecord::SetMapMode, {8});
        add(WmfRecord::SetWindowExt, {H * 15, W * 15});
        add(WmfRecord::SetBkMode, {1});
        object(WmfRecord::CreatePenIndirect, halves({5, 0, 0, 0, 0}));
    }
    void add(WmfRecord function, std::initializer_list<int> params, const QByteArray &tail = {})
    {
        const QByteArray body = padded(halves(params) + tail, 2);
        m_records += words({3 + qint32(body.size() / 2)}) + halves({int(function)}) + body;
    }
    // Creates an object, which takes the lowest free slot, and selects it.
    void object(WmfRecord function, const QByteArray &body)
    {
        add(function, {}, body);
        add(WmfRecord::SelectObject, {m_slot++});
    }
    QByteArray bytes() const
    {
        const QByteArray records = m_records + words({3}) + halves({0});
        return words({qint32(0x9AC6CDD7)}) + halves({0, 0, 0, W * 15, H * 15, 1440}) + words({0}) +
               halves({0}) + halves({1, 9, 0x300}) + words({9 + qint32(records.size() / 2)}) +
               halves({m_slot}) + words({0}) + halves({0}) + records;
    }

private:
    QByteArray m_records;
    int m_slot = 0;
};

constexpr int textPixels = 24;
const QString fourCharacters = QStringLiteral("亜宇亜宇");

// Where four characters of 24 pixels go that run from their baseline point up the picture
// (tops to the left) or down it (tops to the right).
QRect turnedText(const QPoint &at, bool upward)
{
    return upward ? QRect(at.x() - textPixels, at.y() - 98, textPixels + 8, 100)
                  : QRect(at.x() - 8, at.y() - 2, textPixels + 8, 100);
}

// Outline fonts turn counter-clockwise as the logical coordinates see it: on the screen
// counter-clockwise where y points down, clockwise where a mapping puts it up, so that a
// chart's upward axis title under a y-up mapping has an escapement of 270 degrees.
Case emfTurnedText(const char *name, int mapMode, double unitsPerPixel, bool yUp, int escapement)
{
    Emf emf;
    const bool upward = (escapement == 900) != yUp;
    const QPoint at = upward ? QPoint(40, 172) : QPoint(200, 40);
    emf.add(EmfRecord::SetMapMode, {mapMode});
    QPoint logical(at.x() * unitsPerPixel, (yUp ? -at.y() : at.y()) * unitsPerPixel);
    if (mapMode == 8) {
        emf.add(EmfRecord::SetWindowOrgEx, {0, H});
        emf.add(EmfRecord::SetWindowExtEx, {W, -H});
        emf.add(EmfRecord::SetViewportExtEx, {W, H});
        logical.ry() += H;
    }
    emf.font(-qRound(textPixels * unitsPerPixel), escapement);
    emf.add(EmfRecord::SetTextAlign, {24});
    const QRect bounds = turnedText(at, upward);
    emf.text(logical, fourCharacters, qRound(textPixels * unitsPerPixel), bounds);
    return {name, emf.bytes(), {}, bounds};
}

Case wmfChartTitle()
{
    Wmf wmf;
    const QPoint at(40, 172);
    wmf.add(WmfRecord::SetWindowOrg, {H * 15, 0});
    wmf.add(WmfRecord::SetWindowExt, {-H * 15, W * 15});
    QStringEncoder toShiftJis("Shift_JIS");
    wmf.object(WmfRecord::CreateFontIndirect,
               halves({-textPixels * 15, 0, 2700, 2700, 400, 0, qint16(0x8000), 0, 0}) +
                   padded(toShiftJis(Emf::face), 32));
    wmf.add(WmfRecord::SetTextAlign, {24});
    const QByteArray text = toShiftJis(fourCharacters);
    QByteArray dx;
    for (int i = 0; i < text.size(); ++i)
        dx += halves({qint16(i % 2 ? 0 : textPixels * 15)});
    wmf.add(WmfRecord::ExtTextOut,
            {qint16((H - at.y()) * 15), qint16(at.x() * 15), qint16(text.size()), 0},
            padded(text, 2) + dx);
    return {"wmf chart title under a y-up window", wmf.bytes(), {}, turnedText(at, true)};
}

// 2 x 2 pixels of 1 bit, rows bottom-up: colour 0 then 1 on top, 1 then 0 below.
const QByteArray checker = words({0x80, 0x40});

Case rasterOperations()
{
    Emf emf;
    emf.brush(red);
    emf.add(EmfRecord::Rectangle, {20, 20, 100, 80});
    const QByteArray info = dibInfo(2, 2, 1, 0, quads({black, white}));
    // Black where the mask is black, the page (or the red below) where it is white.
    emf.stretchDib(QRect(40, 30, 80, 80), QSize(2, 2), info, checker, 0x008800C6);
    // White XOR the white page is the page; black XOR white is black.
    emf.stretchDib(QRect(150, 100, 40, 40), QSize(2, 2), info, checker, 0x00660046);
    // The page inverted is black.
    emf.add(EmfRecord::BitBlt, {150, 20, 190, 60, 150, 20, 40, 40, 0x00550009, 0, 0, 0,
                                0,   0,  0,   0,  0,   0,  0,  0,  0,          0, 0, 0});
    return {"emf raster operations over the page",
            emf.bytes(),
            {{{60, 50}, black},
             {{90, 50}, red},
             {{110, 50}, none},
             {{60, 75}, red},
             {{60, 100}, none},
             {{100, 90}, black},
             {{160, 110}, none},
             {{180, 110}, black},
             {{170, 40}, black}},
            {}};
}

Case wmfPatternBrushes()
{
    // 8 x 8 pixels, white where a pixel's quarter lies on the diagonal through the corner.
    Wmf wmf;
    QByteArray dibRows, oldRows;
    for (int row = 0; row < 8; ++row) {
        dibRows += words({row < 4 ? 0x0F : 0xF0});  // bottom-up, 0 black, 1 white
        oldRows += halves({row < 4 ? 0xF0 : 0x0F}); // top-down
    }
    wmf.object(WmfRecord::DibCreatePatternBrush,
               halves({5, 0}) + dibInfo(8, 8, 1, 0, quads({black, white})) + dibRows);
    wmf.add(WmfRecord::Rectangle, {96 * 15, 112 * 15, 16 * 15, 16 * 15});
    // A monochrome device bitmap draws its 0 bits in the text colour, its 1 bits in the
    // background colour.
    wmf.add(WmfRecord::SetTextColor, {0, 0xff});
    wmf.object(WmfRecord::CreatePatternBrush,
               halves({0, 8, 8, 2, 0x0101, 0, 0}) + QByteArray(18, '\0') + oldRows);
    wmf.add(WmfRecord::Rectangle, {96 * 15, 224 * 15, 16 * 15, 128 * 15});
    Case c{"wmf pattern brushes in device pixels", wmf.bytes(), {}, {}};
    for (const QPoint p : {QPoint(20, 20), QPoint(25, 20), QPoint(20, 26), QPoint(61, 43),
                           QPoint(66, 43), QPoint(101, 90)}) {
        const bool light = (p.x() % 8 < 4) == (p.y() % 8 < 4);
        c.probes << Probe{p, light ? white : black}
                 << Probe{p + QPoint(112, 0), light ? white : blue};
    }
    return c;
}

Case smallText()
{
    Emf emf;
    const QRect bounds(120, 110, 96, 48);
    emf.font(-48, 0);
    emf.add(EmfRecord::SmallTextOut, {bounds.left(), bounds.top(), 2, 0x100, 1, 0, 0},
            utf16(QStringLiteral("亜宇")));
    // Single-byte characters cut by their clipping rectangle.
    emf.add(EmfRecord::SetTextColor, {colorref(red)});
    emf.add(EmfRecord::SmallTextOut, {20, 20, 4, 0x204, 1, 0, 0, 20, 20, 80, 60}, "WWWW");
    return {"emf small text",
            emf.bytes(),
            {{{10, 30}, none}, {{84, 30}, none}, {{110, 130}, none}},
            bounds};
}

QByteArray vertex(int x, int y, const QColor &c)
{
    return words({x, y, c.red() << 8 | c.green() << 24, c.blue() << 8});
}

Case gradients()
{
    Emf emf;
    emf.add(EmfRecord::GradientFill, {20, 20, 220, 60, 2, 1, 0},
            vertex(20, 20, red) + vertex(220, 60, blue) + words({0, 1}));
    emf.add(EmfRecord::GradientFill, {20, 80, 220, 180, 3, 1, 2},
            vertex(20, 80, red) + vertex(220, 80, green) + vertex(20, 180, blue) +
                words({0, 1, 2}));
    return {"emf gradient fills",
            emf.bytes(),
            {{{21, 40}, red},
             {{218, 40}, blue},
             {{120, 40}, QColor(128, 0, 127)},
             {{22, 82}, red},
             {{120, 82}, QColor(128, 127, 0)},
             {{22, 176}, blue},
             {{200, 170}, none}},
            {}};
}

QByteArray region(std::initializer_list<QRect> rects)
{
    QRect bound;
    QByteArray list;
    for (const QRect &r : rects) {
        bound |= r;
        list += words({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    }
    return words({32, 1, qint32(rects.size()), qint32(list.size()), bound.left(), bound.top(),
                  bound.right() + 1, bound.bottom() + 1}) +
           list;
}

Case regionFills()
{
    Emf emf;
    const qint32 blueBrush = emf.select(EmfRecord::CreateBrushIndirect, {0, colorref(blue), 0});
    const QByteArray lShape = region({QRect(20, 20, 60, 40), QRect(20, 60, 30, 40)});
    emf.add(EmfRecord::FillRgn, {20, 20, 80, 100, qint32(lShape.size()), blueBrush}, lShape);
    const QByteArray frame = region({QRect(120, 20, 80, 60)});
    emf.add(EmfRecord::FrameRgn, {120, 20, 200, 80, qint32(frame.size()), blueBrush, 3, 3}, frame);
    emf.brush(red);
    const QByteArray paint = region({QRect(120, 100, 80, 40)});
    emf.add(EmfRecord::PaintRgn, {120, 100, 200, 140, qint32(paint.size())}, paint);
    emf.brush(black);
    emf.add(EmfRecord::Rectangle, {20, 120, 60, 180});
    const QByteArray invert = region({QRect(20, 120, 80, 60)});
    emf.add(EmfRecord::InvertRgn, {20, 120, 100, 180, qint32(invert.size())}, invert);
    return {"emf region fills",
            emf.bytes(),
            {{{70, 30}, blue},
             {{30, 90}, blue},
             {{70, 90}, none},
             {{121, 50}, blue},
             {{160, 78}, blue},
             {{160, 50}, none},
             {{160, 120}, red},
             {{40, 150}, white},
             {{80, 150}, black},
             {{110, 150}, none}},
            {}};
}

Case arcTo()
{
    // A line to where the arc starts, the arc counter-clockwise, then a line on from its end.
    Emf emf;
    emf.pen(5, black);
    emf.add(EmfRecord::MoveToEx, {20, 100});
    emf.add(EmfRecord::ArcTo, {100, 60, 180, 140, 220, 100, 140, 20});
    emf.add(EmfRecord::LineTo, {220, 20});
    return {"emf arc continuing the line",
            emf.bytes(),
            {{{60, 100}, black},
             {{168, 72}, black},
             {{180, 40}, black},
             {{168, 128}, none},
             {{100, 40}, none}},
            {}};
}

Case alphaBlend()
{
    // Two premultiplied pixels, opaque blue and nothing, at half the opacity.
    Emf emf;
    emf.brush(red);
    emf.add(EmfRecord::Rectangle, {20, 20, 120, 100});
    emf.add(EmfRecord::AlphaBlend,
            {60, 40,  180,        120, 60, 40,         120, 80, 128 << 16 | 1 << 24,
             0,  0,   0x3F800000, 0,   0,  0x3F800000, 0,   0,  0,
             0,  108, 40,         148, 8,  2,          1},
            dibInfo(2, 1, 32, 0, {}) + words({qint32(0xff0000ff), 0}));
    return {"emf alpha blend",
            emf.bytes(),
            {{{80, 60}, QColor(127, 0, 128)},
             {{80, 110}, QColor(0, 0, 255, 128)},
             {{150, 60}, none},
             {{40, 30}, red}},
            {}};
}

Case compressedAndPaletteBitmaps()
{
    Emf emf;
    const QByteArray colours = quads({red, green, blue});
    // 4 x 2 pixels, bottom row first: four greens; then two blues and two reds.
    emf.stretchDib(QRect(20, 20, 80, 40), QSize(4, 2), dibInfo(4, 2, 8, 1, colours),
                   QByteArray("\x04\x01\x00\x00\x02\x02\x02\x00\x00\x01", 10), 0x00CC0020);
    // Four greens; then a pixel skipped and three blues.
    emf.stretchDib(QRect(120, 20, 80, 40), QSize(4, 2), dibInfo(4, 2, 4, 2, colours),
                   QByteArray("\x04\x11\x00\x00\x00\x02\x01\x00\x03\x22\x00\x01", 12), 0x00CC0020);
    // Colours as indexes into the logical palette the file selected.
    QByteArray entries = halves({0x300, 6});
    for (const QColor &c : {white, white, white, QColor(255, 128, 0), white, QColor(0, 128, 128)})
        entries += words({colorref(c)});
    emf.add(EmfRecord::CreatePalette, {9}, entries);
    emf.add(EmfRecord::SelectPalette, {9});
    emf.stretchDib(QRect(20, 100, 80, 80), QSize(2, 2), dibInfo(2, 2, 1, 0, halves({3, 5}), 2),
                   checker, 0x00CC0020, 1);
    return {"emf compressed and palette bitmaps",
            emf.bytes(),
            {{{30, 30}, blue},
             {{90, 30}, red},
             {{60, 50}, green},
             {{130, 30}, none},
             {{170, 30}, blue},
             {{130, 50}, green},
             {{40, 120}, QColor(255, 128, 0)},
             {{80, 120}, QColor(0, 128, 128)},
             {{80, 160}, QColor(255, 128, 0)}},
            {}};
}

} // namespace

QList<Case> recordCases()
{
    return {emfTurnedText("emf text turned in device space", 1, 1, false, 900),
            emfTurnedText("emf chart title under a y-up window", 8, 1, true, 2700),
            emfTurnedText("emf text turned under a metric mapping", 2, 2.54 / 0.96, true, 900),
            wmfChartTitle(),
            rasterOperations(),
            wmfPatternBrushes(),
            smallText(),
            gradients(),
            regionFills(),
            arcTo(),
            alphaBlend(),
            compressedAndPaletteBitmaps()};
}

} // namespace fixtures
