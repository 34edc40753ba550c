#include "support/metafile_fixtures.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <uwmf.h>

#include <vector>

namespace fixtures {
namespace {

// libUEMF writes its files to disk only; the fixtures come back through a scratch folder.
QByteArray readBack(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

U_RECTL rectl(const QRect &r)
{
    // GDI rectangles exclude their right and bottom edges.
    return rectl_set(point32_set(r.left(), r.top()), point32_set(r.right() + 1, r.bottom() + 1));
}

// 1 bit per pixel, rows bottom-up, each row padded to 4 bytes: the bottom row is
// yellow-green (10), the top row green-yellow (01).
constexpr char bitmapBits[8] = {char(0x80), 0, 0, 0, 0x40, 0, 0, 0};

PU_BITMAPINFO twoColourBitmapInfo()
{
    U_RGBQUAD palette[2] = {rgbquad_set(0, 255, 0, 0), rgbquad_set(255, 255, 0, 0)};
    const U_BITMAPINFOHEADER header =
        bitmapinfoheader_set(2, 2, 1, 1, U_BI_RGB, sizeof(bitmapBits), 3780, 3780, 2, 0);
    return bitmapinfo_set(header, palette);
}

std::vector<uint16_t> utf16(const QString &text)
{
    std::vector<uint16_t> units(text.utf16(), text.utf16() + text.size());
    units.push_back(0);
    return units;
}

const QString japaneseText = QStringLiteral("亜宇");
const QString japaneseFace = QStringLiteral("ＭＳ ゴシック");

U_POINT16 twips(int x, int y)
{
    return point16_set(int16_t(x * 15), int16_t(y * 15));
}

U_RECT16 twipsRect(const QRect &r)
{
    return U_RECT16_set(twips(r.left(), r.top()), twips(r.right() + 1, r.bottom() + 1));
}

QByteArray wmf(bool placeable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fixture.wmf"));
    WMFTRACK *wt = nullptr;
    WMFHANDLES *wht = nullptr;
    if (wmf_start(path.toLocal8Bit().constData(), 4096, 4096, &wt) != 0)
        return {};
    wmf_htable_create(128, 128, &wht);
    U_PAIRF size{float(pictureWidth) / 96, float(pictureHeight) / 96};
    wmf_header_append(reinterpret_cast<U_METARECORD *>(
                          U_WMRHEADER_set(placeable ? &size : nullptr, placeable ? 1440 : 0)),
                      wt, 1);
    const auto append = [&](char *record) {
        wmf_append(reinterpret_cast<U_METARECORD *>(record), wt, 1);
    };
    uint32_t handle = 0;
    append(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    append(U_WMRSETWINDOWORG_set(point16_set(0, 0)));
    append(U_WMRSETWINDOWEXT_set(twips(pictureWidth, pictureHeight)));
    if (!placeable) {
        // libUEMF writes this record with the function number of SETWINDOWEXT; mended here.
        char *viewport = U_WMRSETVIEWPORTEXT_set(point16_set(pictureWidth, pictureHeight));
        reinterpret_cast<U_METARECORD *>(viewport)->iType = 0x0E;
        append(viewport);
    }
    append(U_WMRSETBKMODE_set(U_TRANSPARENT));

    append(wcreatepenindirect_set(&handle, wht, U_PEN_set(U_PS_NULL, 0, colorref3_set(0, 0, 0))));
    append(wselectobject_set(handle, wht));
    append(wcreatebrushindirect_set(&handle, wht,
                                    U_WLOGBRUSH_set(U_BS_SOLID, colorref3_set(255, 0, 0), 0)));
    append(wselectobject_set(handle, wht));
    append(U_WMRRECTANGLE_set(twipsRect(redRectangle)));
    append(wcreatebrushindirect_set(&handle, wht,
                                    U_WLOGBRUSH_set(U_BS_SOLID, colorref3_set(0, 0, 255), 0)));
    append(wselectobject_set(handle, wht));
    append(U_WMRELLIPSE_set(twipsRect(blueEllipse)));

    PU_BITMAPINFO bmi = twoColourBitmapInfo();
    append(U_WMRSTRETCHDIB_set(twips(bitmapArea.left(), bitmapArea.top()),
                               twips(bitmapArea.width(), bitmapArea.height()), point16_set(0, 0),
                               point16_set(2, 2), U_DIB_RGB_COLORS, U_SRCCOPY, bmi,
                               sizeof(bitmapBits), bitmapBits));
    free(bmi);

    // Text in a WMF is in the code page of the font's character set, here CP932.
    QStringEncoder toShiftJis("Shift_JIS");
    QByteArray face = toShiftJis(japaneseFace);
    QByteArray text = toShiftJis(japaneseText);
    U_FONT *font = U_FONT_set(int16_t(-textArea.height() * 15), 0, 0, 0, 400, 0, 0, 0,
                              U_SHIFTJIS_CHARSET, 0, 0, 0, 0, face.data());
    append(wcreatefontindirect_set(&handle, wht, font));
    free(font);
    append(wselectobject_set(handle, wht));
    append(U_WMRSETTEXTCOLOR_set(colorref3_set(0, 0, 0)));
    append(U_WMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT));
    const U_POINT16 at = twips(textArea.left(), textArea.top());
    if (placeable) {
        int16_t dx[4] = {int16_t(textArea.width() / 2 * 15), 0, int16_t(textArea.width() / 2 * 15),
                         0};
        append(U_WMREXTTEXTOUT_set(at, int16_t(text.size()), 0, text.constData(), dx,
                                   U_RECT16_set(point16_set(0, 0), point16_set(0, 0))));
    } else {
        append(U_WMRTEXTOUT_set(at, text.data()));
    }
    append(U_WMREOF_set());
    wmf_finish(wt);
    wmf_free(&wt);
    wmf_htable_free(&wht);
    return readBack(path);
}

} // namespace

QByteArray emf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fixture.emf"));
    EMFTRACK *et = nullptr;
    EMFHANDLES *eht = nullptr;
    if (emf_start(path.toLocal8Bit().constData(), 4096, 4096, &et) != 0)
        return {};
    emf_htable_create(128, 128, &eht);
    const auto append = [&](char *record) {
        emf_append(reinterpret_cast<U_ENHMETARECORD *>(record), et, 1);
    };
    // A reference device of exactly 96 dpi, so that logical units are the picture's pixels;
    // the frame is in hundredths of a millimetre.
    const U_RECTL bounds = rectl(QRect(0, 0, pictureWidth, pictureHeight));
    const U_RECTL frame = rectl_set(
        point32_set(0, 0), point32_set(pictureWidth * 2540 / 96, pictureHeight * 2540 / 96));
    append(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(960, 480),
                           sizel_set(254, 127), 0));
    append(U_EMRSETBKMODE_set(U_TRANSPARENT));
    uint32_t handle = 0;
    append(createpen_set(&handle, eht,
                         logpen_set(U_PS_NULL, point32_set(0, 0), colorref3_set(0, 0, 0))));
    append(selectobject_set(handle, eht));
    append(createbrushindirect_set(&handle, eht,
                                   logbrush_set(U_BS_SOLID, colorref3_set(255, 0, 0), 0)));
    append(selectobject_set(handle, eht));
    append(U_EMRRECTANGLE_set(rectl(redRectangle)));
    append(createbrushindirect_set(&handle, eht,
                                   logbrush_set(U_BS_SOLID, colorref3_set(0, 0, 255), 0)));
    append(selectobject_set(handle, eht));
    append(U_EMRELLIPSE_set(rectl(blueEllipse)));

    PU_BITMAPINFO bmi = twoColourBitmapInfo();
    char bits[sizeof(bitmapBits)];
    memcpy(bits, bitmapBits, sizeof(bits));
    append(U_EMRSTRETCHDIBITS_set(
        rectl(bitmapArea), point32_set(bitmapArea.left(), bitmapArea.top()),
        point32_set(bitmapArea.width(), bitmapArea.height()), point32_set(0, 0), point32_set(2, 2),
        U_DIB_RGB_COLORS, U_SRCCOPY, bmi, sizeof(bits), bits));
    free(bmi);

    std::vector<uint16_t> face = utf16(japaneseFace);
    U_LOGFONT font = logfont_set(-textArea.height(), 0, 0, 0, 400, 0, 0, 0, U_SHIFTJIS_CHARSET, 0,
                                 0, 0, 0, face.data());
    append(
        extcreatefontindirectw_set(&handle, eht, reinterpret_cast<const char *>(&font), nullptr));
    append(selectobject_set(handle, eht));
    append(U_EMRSETTEXTCOLOR_set(colorref3_set(0, 0, 0)));
    append(U_EMRSETTEXTALIGN_set(U_TA_TOP | U_TA_LEFT));
    std::vector<uint16_t> text = utf16(japaneseText);
    uint32_t dx[2] = {uint32_t(textArea.width() / 2), uint32_t(textArea.width() / 2)};
    char *emrText = emrtext_set(point32_set(textArea.left(), textArea.top()), 2, 2, text.data(), 0,
                                rectl_set(point32_set(0, 0), point32_set(-1, -1)), dx);
    append(U_EMREXTTEXTOUTW_set(rectl(textArea), U_GM_COMPATIBLE, 1, 1,
                                reinterpret_cast<PU_EMRTEXT>(emrText)));
    free(emrText);
    append(U_EMREOF_set(0, nullptr, et));
    emf_finish(et, eht);
    emf_free(&et);
    emf_htable_free(&eht);
    return readBack(path);
}

QByteArray placeableWmf()
{
    return wmf(true);
}

QByteArray plainWmf()
{
    return wmf(false);
}

} // namespace fixtures
