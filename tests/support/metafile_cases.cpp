// Metafiles written record by record, each showing one behaviour of GDI, with what they must
// draw. Records libUEMF has a writer for are written with it, the rest field by field.
#include "support/metafile_fixtures.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtEndian>

#include <uwmf.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace fixtures {
namespace {

const QColor transparent;
const QColor black(0, 0, 0);
const QColor white(255, 255, 255);

// Little-endian fields one after another.
struct Fields
{
    QByteArray bytes;
    Fields &u8(quint8 v)
    {
        bytes.append(char(v));
        return *this;
    }
    Fields &u16(quint16 v) { return u8(v & 0xff).u8(v >> 8); }
    Fields &u32(quint32 v) { return u16(v & 0xffff).u16(v >> 16); }
    Fields &i32(qint32 v) { return u32(quint32(v)); }
    Fields &rect(const QRect &r)
    {
        return i32(r.left()).i32(r.top()).i32(r.right() + 1).i32(r.bottom() + 1);
    }
    Fields &raw(const QByteArray &b)
    {
        bytes.append(b);
        return *this;
    }
};

char *copied(const QByteArray &record)
{
    char *out = static_cast<char *>(malloc(size_t(record.size())));
    memcpy(out, record.constData(), size_t(record.size()));
    return out;
}

char *emfRecord(quint32 type, Fields body)
{
    while (body.bytes.size() % 4)
        body.u8(0);
    return copied(Fields().u32(type).u32(quint32(8 + body.bytes.size())).raw(body.bytes).bytes);
}

char *wmfRecord(quint16 function, Fields body)
{
    if (body.bytes.size() % 2)
        body.u8(0);
    return copied(
        Fields().u32(quint32(3 + body.bytes.size() / 2)).u16(function).raw(body.bytes).bytes);
}

QByteArray readBack(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

U_RECTL rectl(const QRect &r)
{
    return rectl_set(point32_set(r.left(), r.top()), point32_set(r.right() + 1, r.bottom() + 1));
}

// An EMF of the fixtures' size on a reference device of 96 dpi, whose logical units are the
// picture's pixels until a record maps them otherwise.
class EmfWriter
{
public:
    EmfWriter()
    {
        m_path = m_dir.filePath(QStringLiteral("case.emf"));
        emf_start(m_path.toLocal8Bit().constData(), 4096, 4096, &m_track);
        emf_htable_create(128, 128, &m_handles);
        const U_RECTL frame = rectl_set(
            point32_set(0, 0), point32_set(pictureWidth * 2540 / 96, pictureHeight * 2540 / 96));
        add(U_EMRHEADER_set(rectl(QRect(0, 0, pictureWidth, pictureHeight)), frame, nullptr, 0,
                            nullptr, sizel_set(960, 480), sizel_set(254, 127), 0));
        add(U_EMRSETBKMODE_set(U_TRANSPARENT));
        pen(createpen_set(&m_handle, m_handles,
                          logpen_set(U_PS_NULL, point32_set(0, 0), colorref3_set(0, 0, 0))));
    }
    void add(char *record)
    {
        if (m_track && record)
            emf_append(reinterpret_cast<U_ENHMETARECORD *>(record), m_track, 1);
    }
    // Creates an object and selects it.
    void pen(char *create)
    {
        add(create);
        add(selectobject_set(m_handle, m_handles));
    }
    void brush(const QColor &c)
    {
        pen(createbrushindirect_set(
            &m_handle, m_handles,
            logbrush_set(U_BS_SOLID, colorref3_set(c.red(), c.green(), c.blue()), 0)));
    }
    quint32 nextHandle() const { return m_handle + 1; }
    EMFHANDLES *handles() { return m_handles; }
    uint32_t &handle() { return m_handle; }
    QByteArray finish()
    {
        if (!m_track)
            return {};
        add(U_EMREOF_set(0, nullptr, m_track));
        emf_finish(m_track, m_handles);
        emf_free(&m_track);
        emf_htable_free(&m_handles);
        return readBack(m_path);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    EMFTRACK *m_track = nullptr;
    EMFHANDLES *m_handles = nullptr;
    uint32_t m_handle = 0;
};

// A placeable WMF of the fixtures' size whose logical units are twips.
class WmfWriter
{
public:
    WmfWriter()
    {
        m_path = m_dir.filePath(QStringLiteral("case.wmf"));
        wmf_start(m_path.toLocal8Bit().constData(), 4096, 4096, &m_track);
        wmf_htable_create(128, 128, &m_handles);
        U_PAIRF size{float(pictureWidth) / 96, float(pictureHeight) / 96};
        wmf_header_append(reinterpret_cast<U_METARECORD *>(U_WMRHEADER_set(&size, 1440)), m_track,
                          1);
        add(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
        add(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
        add(U_WMRSETWINDOWEXT_set(point16_set(pictureWidth * 15, pictureHeight * 15)));
        add(U_WMRSETBKMODE_set(U_TRANSPARENT));
        select(wcreatepenindirect_set(&m_handle, m_handles,
                                      U_PEN_set(U_PS_NULL, 0, colorref3_set(0, 0, 0))));
    }
    void add(char *record)
    {
        if (m_track && record)
            wmf_append(reinterpret_cast<U_METARECORD *>(record), m_track, 1);
    }
    void select(char *create)
    {
        add(create);
        add(wselectobject_set(m_handle, m_handles));
    }
    // An object record written by hand takes the lowest free slot, as GDI gives it.
    void selectHandWritten(char *create)
    {
        // The library counts its handles from 1, the file its slots from 0.
        uint32_t slot = 0;
        wmf_htable_insert(&slot, m_handles);
        add(create);
        add(wmfRecord(0x012D, Fields().u16(quint16(slot - 1))));
    }
    WMFHANDLES *handles() { return m_handles; }
    uint32_t &handle() { return m_handle; }
    QByteArray finish()
    {
        if (!m_track)
            return {};
        add(U_WMREOF_set());
        wmf_finish(m_track);
        wmf_free(&m_track);
        wmf_htable_free(&m_handles);
        return readBack(m_path);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    WMFTRACK *m_track = nullptr;
    WMFHANDLES *m_handles = nullptr;
    uint32_t m_handle = 0;
};

U_POINT16 twips(int x, int y)
{
    return point16_set(int16_t(x * 15), int16_t(y * 15));
}

U_RECT16 twipsRect(const QRect &r)
{
    return U_RECT16_set(twips(r.left(), r.top()), twips(r.right() + 1, r.bottom() + 1));
}

std::vector<uint16_t> utf16(const QString &text)
{
    std::vector<uint16_t> units(text.utf16(), text.utf16() + text.size());
    units.push_back(0);
    return units;
}

const QString face = QStringLiteral("ＭＳ ゴシック");
const QString fourCharacters = QStringLiteral("亜宇亜宇");
constexpr int textPixels = 24;

// Where four characters of 24 pixels go that run from their baseline point up the picture
// (their tops to the left) or down it (their tops to the right): ascent on the one side of
// that point, descent on the other.
QRect turnedText(const QPoint &at, bool upward)
{
    if (upward)
        return QRect(at.x() - textPixels, at.y() - 4 * textPixels - 2, textPixels + 8,
                     4 * textPixels + 4);
    return QRect(at.x() - 8, at.y() - 2, textPixels + 8, 4 * textPixels + 4);
}

// TrueType text turns counter-clockwise as the logical coordinates see it: on the screen
// counter-clockwise where y points down, clockwise where a mapping puts it up. A chart's
// upward axis title under a y-up mapping is thus written with an escapement of 270 degrees.
Case emfTurnedText(const char *name, int mapMode, double unitsPerPixel, bool yUp, int escapement)
{
    EmfWriter w;
    const bool upward = (escapement == 900) != yUp;
    const QPoint at = upward ? QPoint(40, 172) : QPoint(200, 40);
    const QRect bounds = turnedText(at, upward);
    w.add(U_EMRSETMAPMODE_set(uint32_t(mapMode)));
    if (mapMode == U_MM_ANISOTROPIC) {
        w.add(U_EMRSETWINDOWORGEX_set(point32_set(0, yUp ? pictureHeight : 0)));
        w.add(
            U_EMRSETWINDOWEXTEX_set(sizel_set(pictureWidth, yUp ? -pictureHeight : pictureHeight)));
        w.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(pictureWidth, pictureHeight)));
    }
    const auto logical = [&](int px, int py) {
        return point32_set(int32_t(std::lround(px * unitsPerPixel)),
                           int32_t(std::lround((yUp ? -py : py) * unitsPerPixel)));
    };
    const QPoint origin = mapMode == U_MM_ANISOTROPIC && yUp ? QPoint(0, pictureHeight) : QPoint();
    const U_POINTL reference = logical(at.x() - origin.x(), at.y() - origin.y());
    std::vector<uint16_t> faceName = utf16(face);
    U_LOGFONT font =
        logfont_set(-int32_t(std::lround(textPixels * unitsPerPixel)), 0, escapement, escapement,
                    400, 0, 0, 0, U_SHIFTJIS_CHARSET, 0, 0, 0, 0, faceName.data());
    w.pen(extcreatefontindirectw_set(&w.handle(), w.handles(),
                                     reinterpret_cast<const char *>(&font), nullptr));
    w.add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
    std::vector<uint16_t> text = utf16(fourCharacters);
    const uint32_t step = uint32_t(std::lround(textPixels * unitsPerPixel));
    uint32_t dx[4] = {step, step, step, step};
    char *emrText = emrtext_set(reference, 4, 2, text.data(), 0,
                                rectl_set(point32_set(0, 0), point32_set(-1, -1)), dx);
    w.add(U_EMREXTTEXTOUTW_set(rectl(bounds), U_GM_COMPATIBLE, 1, 1,
                               reinterpret_cast<PU_EMRTEXT>(emrText)));
    free(emrText);
    return {name, false, w.finish(), {}, bounds};
}

Case wmfChartTitle()
{
    WmfWriter w;
    const QPoint at(40, 172);
    // y up: the window's origin is the picture's bottom edge and its extent negative.
    w.add(U_WMRSETWINDOWORG_set(point16_set(0, int16_t(pictureHeight * 15))));
    w.add(U_WMRSETWINDOWEXT_set(point16_set(pictureWidth * 15, -pictureHeight * 15)));
    QStringEncoder toShiftJis("Shift_JIS");
    QByteArray faceBytes = toShiftJis(face);
    QByteArray text = toShiftJis(fourCharacters);
    U_FONT *font = U_FONT_set(int16_t(-textPixels * 15), 0, 2700, 2700, 400, 0, 0, 0,
                              U_SHIFTJIS_CHARSET, 0, 0, 0, 0, faceBytes.data());
    w.select(wcreatefontindirect_set(&w.handle(), w.handles(), font));
    free(font);
    w.add(U_WMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT));
    const U_POINT16 reference =
        point16_set(int16_t(at.x() * 15), int16_t((pictureHeight - at.y()) * 15));
    // Two bytes a character in CP932, the advance on the lead byte.
    int16_t dx[8];
    for (int i = 0; i < 8; ++i)
        dx[i] = i % 2 ? 0 : int16_t(textPixels * 15);
    w.add(U_WMREXTTEXTOUT_set(reference, int16_t(text.size()), 0, text.constData(), dx,
                              U_RECT16_set(point16_set(0, 0), point16_set(0, 0))));
    return {"wmf chart title under a y-up window", true, w.finish(), {}, turnedText(at, true)};
}

// 2 x 2 pixels, 1 bit each, rows bottom-up: the top row is colour 0 then 1, the bottom row
// 1 then 0.
constexpr char checkerBits[8] = {char(0x80), 0, 0, 0, 0x40, 0, 0, 0};

PU_BITMAPINFO twoColours(const QColor &first, const QColor &second)
{
    U_RGBQUAD palette[2] = {
        rgbquad_set(uint8_t(first.red()), uint8_t(first.green()), uint8_t(first.blue()), 0),
        rgbquad_set(uint8_t(second.red()), uint8_t(second.green()), uint8_t(second.blue()), 0)};
    return bitmapinfo_set(bitmapinfoheader_set(2, 2, 1, 1, U_BI_RGB, 8, 3780, 3780, 2, 0), palette);
}

void stretchDib(EmfWriter &w, const QRect &to, PU_BITMAPINFO bmi, const char *bits, int bitsSize,
                int width, int height, uint32_t rop, uint32_t usage = U_DIB_RGB_COLORS)
{
    std::vector<char> copy(bits, bits + bitsSize);
    w.add(U_EMRSTRETCHDIBITS_set(rectl(to), point32_set(to.left(), to.top()),
                                 point32_set(to.width(), to.height()), point32_set(0, 0),
                                 point32_set(width, height), usage, rop, bmi, uint32_t(bitsSize),
                                 copy.data()));
}

Case rasterOperations()
{
    EmfWriter w;
    w.brush(fixtures::red);
    w.add(U_EMRRECTANGLE_set(rectl(redRectangle)));
    PU_BITMAPINFO bmi = twoColours(black, white);
    // Black where the mask is black, the page (or the red below) where it is white.
    stretchDib(w, QRect(40, 30, 80, 80), bmi, checkerBits, 8, 2, 2, U_SRCAND);
    // White XOR the white page is nothing; black XOR white is black.
    stretchDib(w, QRect(150, 100, 40, 40), bmi, checkerBits, 8, 2, 2, U_SRCINVERT);
    free(bmi);
    // The page inverted is black.
    w.add(emfRecord(U_EMR_BITBLT, Fields()
                                      .rect(QRect(150, 20, 40, 40))
                                      .i32(150)
                                      .i32(20)
                                      .i32(40)
                                      .i32(40)
                                      .u32(U_DSTINVERT)
                                      .raw(QByteArray(60, '\0'))));
    return {"emf raster operations over the page",
            false,
            w.finish(),
            {{{60, 50}, black},
             {{90, 50}, fixtures::red},
             {{110, 50}, transparent},
             {{60, 75}, fixtures::red},
             {{60, 100}, transparent},
             {{100, 90}, black},
             {{30, 25}, fixtures::red},
             {{160, 110}, transparent},
             {{180, 110}, black},
             {{170, 40}, black}},
            {}};
}

// White where the pattern's quarter lies on the diagonal through its corner, else dark.
bool patternWhite(const QPoint &p)
{
    return (p.x() % 8 < 4) == (p.y() % 8 < 4);
}

Case wmfPatternBrushes()
{
    WmfWriter w;
    const QRect dibArea(16, 16, 96, 80), oldArea(128, 16, 96, 80);
    // An 8 x 8 DIB, 1 bit a pixel, rows bottom-up and padded to 4 bytes.
    char dibBits[32] = {};
    for (int row = 0; row < 8; ++row)
        dibBits[row * 4] = char(row < 4 ? 0x0F : 0xF0);
    U_RGBQUAD palette[2] = {rgbquad_set(0, 0, 0, 0), rgbquad_set(255, 255, 255, 0)};
    PU_BITMAPINFO bmi =
        bitmapinfo_set(bitmapinfoheader_set(8, 8, 1, 1, U_BI_RGB, 32, 0, 0, 2, 0), palette);
    w.select(wcreatedibpatternbrush_srcdib_set(&w.handle(), w.handles(), U_DIB_RGB_COLORS, bmi, 32,
                                               dibBits));
    free(bmi);
    w.add(U_WMRRECTANGLE_set(twipsRect(dibArea)));
    // A monochrome device bitmap, rows top-down and padded to 2 bytes: its 0 bits take the
    // text colour, its 1 bits the background colour.
    w.add(U_WMRSETTEXTCOLOR_set(colorref3_set(0, 0, 255)));
    Fields old;
    old.u16(0).u16(8).u16(8).u16(2).u8(1).u8(1).u32(0).raw(QByteArray(18, '\0'));
    for (int row = 0; row < 8; ++row)
        old.u8(row < 4 ? 0xF0 : 0x0F).u8(0);
    w.selectHandWritten(wmfRecord(0x01F9, old));
    w.add(U_WMRRECTANGLE_set(twipsRect(oldArea)));
    Case c{"wmf pattern brushes in device pixels", true, w.finish(), {}, {}};
    for (const QPoint &p : {QPoint(20, 20), QPoint(25, 20), QPoint(20, 26), QPoint(61, 43),
                            QPoint(66, 43), QPoint(101, 90)}) {
        c.probes << Probe{p, patternWhite(p) ? white : black};
        const QPoint q = p + QPoint(oldArea.left() - dibArea.left(), 0);
        c.probes << Probe{q, patternWhite(q) ? white : fixtures::blue};
    }
    return c;
}

Case smallText()
{
    EmfWriter w;
    const QRect bounds(120, 110, 96, 48);
    std::vector<uint16_t> faceName = utf16(face);
    U_LOGFONT font =
        logfont_set(-48, 0, 0, 0, 400, 0, 0, 0, U_SHIFTJIS_CHARSET, 0, 0, 0, 0, faceName.data());
    w.pen(extcreatefontindirectw_set(&w.handle(), w.handles(),
                                     reinterpret_cast<const char *>(&font), nullptr));
    w.add(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT));
    const QString text = QStringLiteral("亜宇");
    Fields record;
    record.i32(bounds.left()).i32(bounds.top()).u32(2).u32(0x100).u32(U_GM_COMPATIBLE);
    record.u32(0).u32(0);
    for (QChar c : text)
        record.u16(c.unicode());
    w.add(emfRecord(108, record));
    // And one in single-byte characters with its clipping rectangle, cut after its first "l".
    w.add(U_EMRSETTEXTCOLOR_set(colorref3_set(255, 0, 0)));
    U_LOGFONT latin = logfont_set(-32, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, faceName.data());
    w.pen(extcreatefontindirectw_set(&w.handle(), w.handles(),
                                     reinterpret_cast<const char *>(&latin), nullptr));
    Fields clipped;
    clipped.i32(20).i32(20).u32(4).u32(0x200 | U_ETO_CLIPPED).u32(U_GM_COMPATIBLE).u32(0).u32(0);
    clipped.rect(QRect(20, 20, 60, 40)).raw("WWWW");
    w.add(emfRecord(108, clipped));
    return {"emf small text",
            false,
            w.finish(),
            {{{10, 30}, transparent}, {{84, 30}, transparent}, {{110, 130}, transparent}},
            bounds};
}

Fields vertex(int x, int y, const QColor &c)
{
    return Fields()
        .i32(x)
        .i32(y)
        .u16(quint16(c.red() << 8))
        .u16(quint16(c.green() << 8))
        .u16(quint16(c.blue() << 8))
        .u16(0);
}

Case gradients()
{
    EmfWriter w;
    Fields horizontal;
    horizontal.rect(QRect(20, 20, 200, 40)).u32(2).u32(1).u32(0);
    horizontal.raw(vertex(20, 20, fixtures::red).bytes).raw(vertex(220, 60, fixtures::blue).bytes);
    horizontal.u32(0).u32(1);
    w.add(emfRecord(118, horizontal));
    Fields triangle;
    triangle.rect(QRect(20, 80, 200, 100)).u32(3).u32(1).u32(2);
    triangle.raw(vertex(20, 80, fixtures::red).bytes)
        .raw(vertex(220, 80, fixtures::green).bytes)
        .raw(vertex(20, 180, fixtures::blue).bytes);
    triangle.u32(0).u32(1).u32(2);
    w.add(emfRecord(118, triangle));
    return {"emf gradient fills",
            false,
            w.finish(),
            {{{21, 40}, fixtures::red},
             {{218, 40}, fixtures::blue},
             {{120, 40}, QColor(128, 0, 127)},
             {{22, 82}, fixtures::red},
             {{120, 82}, QColor(128, 127, 0)},
             {{22, 176}, fixtures::blue},
             {{200, 170}, transparent}},
            {}};
}

Fields region(const QList<QRect> &rects)
{
    QRect bound;
    for (const QRect &r : rects)
        bound |= r;
    Fields f;
    f.u32(32).u32(1).u32(quint32(rects.size())).u32(quint32(rects.size() * 16)).rect(bound);
    for (const QRect &r : rects)
        f.rect(r);
    return f;
}

Case regionFills()
{
    EmfWriter w;
    const quint32 blueBrush = w.nextHandle();
    w.brush(fixtures::blue);
    const Fields lShape = region({QRect(20, 20, 60, 40), QRect(20, 60, 30, 40)});
    w.add(emfRecord(71, Fields()
                            .rect(QRect(20, 20, 60, 80))
                            .u32(quint32(lShape.bytes.size()))
                            .u32(blueBrush)
                            .raw(lShape.bytes)));
    w.brush(fixtures::red);
    const Fields frame = region({QRect(120, 20, 80, 60)});
    w.add(emfRecord(72, Fields()
                            .rect(QRect(120, 20, 80, 60))
                            .u32(quint32(frame.bytes.size()))
                            .u32(blueBrush)
                            .i32(3)
                            .i32(3)
                            .raw(frame.bytes)));
    const Fields paint = region({QRect(120, 100, 80, 40)});
    w.add(emfRecord(
        74,
        Fields().rect(QRect(120, 100, 80, 40)).u32(quint32(paint.bytes.size())).raw(paint.bytes)));
    w.brush(black);
    w.add(U_EMRRECTANGLE_set(rectl(QRect(20, 120, 40, 60))));
    const Fields invert = region({QRect(20, 120, 80, 60)});
    w.add(emfRecord(
        73,
        Fields().rect(QRect(20, 120, 80, 60)).u32(quint32(invert.bytes.size())).raw(invert.bytes)));
    return {"emf region fills",
            false,
            w.finish(),
            {{{70, 30}, fixtures::blue},
             {{30, 90}, fixtures::blue},
             {{70, 90}, transparent},
             {{121, 50}, fixtures::blue},
             {{160, 78}, fixtures::blue},
             {{160, 50}, transparent},
             {{160, 120}, fixtures::red},
             {{40, 150}, white},
             {{80, 150}, black},
             {{110, 150}, transparent}},
            {}};
}

Case arcTo()
{
    EmfWriter w;
    w.pen(createpen_set(&w.handle(), w.handles(),
                        logpen_set(U_PS_SOLID, point32_set(5, 0), colorref3_set(0, 0, 0))));
    w.add(U_EMRMOVETOEX_set(point32_set(20, 100)));
    w.add(U_EMRARCTO_set(rectl_set(point32_set(100, 60), point32_set(180, 140)),
                         point32_set(220, 100), point32_set(140, 20)));
    w.add(U_EMRLINETO_set(point32_set(220, 20)));
    return {"emf arc continuing the line",
            false,
            w.finish(),
            {{{60, 100}, black},
             {{168, 72}, black},
             {{180, 40}, black},
             {{168, 128}, transparent},
             {{100, 40}, transparent}},
            {}};
}

Case alphaBlend()
{
    EmfWriter w;
    w.brush(fixtures::red);
    w.add(U_EMRRECTANGLE_set(rectl(QRect(20, 20, 100, 80))));
    // Two pixels of premultiplied BGRA: opaque blue, then nothing.
    char bits[8] = {char(255), 0, 0, char(255), 0, 0, 0, 0};
    PU_BITMAPINFO bmi =
        bitmapinfo_set(bitmapinfoheader_set(2, 1, 1, 32, U_BI_RGB, 8, 0, 0, 0, 0), nullptr);
    const QRect to(60, 40, 120, 80);
    w.add(U_EMRALPHABLEND_set(
        rectl(to), point32_set(to.left(), to.top()), point32_set(to.width(), to.height()),
        point32_set(0, 0), point32_set(2, 1), xform_set(1, 0, 0, 1, 0, 0), colorref3_set(0, 0, 0),
        U_DIB_RGB_COLORS, U_BLEND{0, 0, 128, U_AC_SRC_ALPHA}, bmi, 8, bits));
    free(bmi);
    return {"emf alpha blend",
            false,
            w.finish(),
            {{{80, 60}, QColor(127, 0, 128)},
             {{80, 110}, QColor(0, 0, 255, 128)},
             {{150, 60}, transparent},
             {{40, 30}, fixtures::red}},
            {}};
}

Case compressedAndPaletteBitmaps()
{
    EmfWriter w;
    U_RGBQUAD colours[3] = {rgbquad_set(255, 0, 0, 0), rgbquad_set(0, 255, 0, 0),
                            rgbquad_set(0, 0, 255, 0)};
    // 4 x 2 pixels in RLE8, bottom row first: four greens; then two blues and two reds.
    const char rle8[] = {4, 1, 0, 0, 2, 2, 2, 0, 0, 1};
    PU_BITMAPINFO bmi8 = bitmapinfo_set(
        bitmapinfoheader_set(4, 2, 1, 8, U_BI_RLE8, sizeof(rle8), 0, 0, 3, 0), colours);
    stretchDib(w, QRect(20, 20, 80, 40), bmi8, rle8, sizeof(rle8), 4, 2, U_SRCCOPY);
    free(bmi8);
    // The same size in RLE4: four greens; then a pixel skipped and three blues.
    const char rle4[] = {4, 0x11, 0, 0, 0, 2, 1, 0, 3, 0x22, 0, 1};
    PU_BITMAPINFO bmi4 = bitmapinfo_set(
        bitmapinfoheader_set(4, 2, 1, 4, U_BI_RLE4, sizeof(rle4), 0, 0, 3, 0), colours);
    stretchDib(w, QRect(120, 20, 80, 40), bmi4, rle4, sizeof(rle4), 4, 2, U_SRCCOPY);
    free(bmi4);
    // Colours given as indexes into the logical palette the file selected.
    Fields palette;
    palette.u32(1).u16(0x300).u16(6);
    for (const QColor &c : {white, white, white, QColor(255, 128, 0), white, QColor(0, 128, 128)})
        palette.u8(quint8(c.red())).u8(quint8(c.green())).u8(quint8(c.blue())).u8(0);
    w.add(emfRecord(49, palette));
    w.add(emfRecord(48, Fields().u32(1)));
    U_BITMAPINFOHEADER header = bitmapinfoheader_set(2, 2, 1, 1, U_BI_RGB, 8, 0, 0, 2, 0);
    QByteArray info(reinterpret_cast<const char *>(&header), sizeof header);
    info += Fields().u16(3).u16(5).bytes;
    PU_BITMAPINFO bmiPal = reinterpret_cast<PU_BITMAPINFO>(info.data());
    stretchDib(w, QRect(20, 100, 80, 80), bmiPal, checkerBits, 8, 2, 2, U_SRCCOPY,
               U_DIB_PAL_COLORS);
    return {"emf compressed and palette bitmaps",
            false,
            w.finish(),
            {{{30, 30}, fixtures::blue},
             {{90, 30}, fixtures::red},
             {{60, 50}, fixtures::green},
             {{130, 30}, transparent},
             {{170, 30}, fixtures::blue},
             {{130, 50}, fixtures::green},
             {{40, 120}, QColor(255, 128, 0)},
             {{80, 120}, QColor(0, 128, 128)},
             {{80, 160}, QColor(255, 128, 0)}},
            {}};
}

} // namespace

QList<Case> recordCases()
{
    return {emfTurnedText("emf text turned in device space", U_MM_TEXT, 1, false, 900),
            emfTurnedText("emf chart title under a y-up window", U_MM_ANISOTROPIC, 1, true, 2700),
            emfTurnedText("emf text turned under a metric mapping", U_MM_LOMETRIC, 2.54 / 0.96,
                          true, 900),
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
