#include "picture/metafile/metafile.h"
#include "picture/metafile/records.h"
#include "picture/pictureloader.h"
#include "support/metafile_fixtures.h"
#include "support/test_data.h"
#include "support/testmain.h"
#include "toolkit/loadpicture.h"

#include <QtEndian>
#include <QtTest>

#include <functional>

namespace {

using picture::metafile::EmfRecord;
using picture::metafile::WmfRecord;

constexpr qint64 loaderBound = qint64(256) * 1024 * 1024;

using Fixture = std::function<QByteArray()>;

bool isDark(QRgb pixel)
{
    return qAlpha(pixel) > 128 && qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

// The dark pixels of one area, as a bitmap relative to its corner.
QList<QPoint> darkPixels(const QImage &image, const QRect &area)
{
    QList<QPoint> found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isDark(image.pixel(x, y)))
                found << QPoint(x, y) - area.topLeft();
    return found;
}

// Offsets of the records of a fixture, paired with their type (EMF) or function (WMF).
QList<QPair<qsizetype, quint32>> emfRecords(const QByteArray &data)
{
    QList<QPair<qsizetype, quint32>> out;
    for (qsizetype at = 0; at + 8 <= data.size();) {
        const quint32 size = qFromLittleEndian<quint32>(data.constData() + at + 4);
        out.append({at, qFromLittleEndian<quint32>(data.constData() + at)});
        at += size;
    }
    return out;
}

QList<QPair<qsizetype, quint32>> wmfRecords(const QByteArray &data)
{
    QList<QPair<qsizetype, quint32>> out;
    qsizetype at = qFromLittleEndian<quint32>(data.constData()) == 0x9AC6CDD7u ? 22 + 18 : 18;
    while (at + 6 <= data.size()) {
        const quint32 words = qFromLittleEndian<quint32>(data.constData() + at);
        out.append({at, qFromLittleEndian<quint16>(data.constData() + at + 4)});
        if (words == 0)
            break;
        at += qsizetype(words) * 2;
    }
    return out;
}

template <typename Record>
qsizetype recordOffset(const QList<QPair<qsizetype, quint32>> &records, Record kind)
{
    for (const auto &record : records)
        if (record.second == quint32(kind))
            return record.first;
    return -1;
}

template <typename T> void poke(QByteArray &data, qsizetype at, T value)
{
    qToLittleEndian(value, data.data() + at);
}

} // namespace

class TestMetafile : public QObject
{
    Q_OBJECT

private slots:
    void sniffsByContent_data();
    void sniffsByContent();
    void drawsTheFixture_data();
    void drawsTheFixture();
    void sizesPlainWmfFromTheWindowWithoutViewport();
    void refusesFramesBeyondTheBound_data();
    void refusesFramesBeyondTheBound();
    void survivesTruncation_data();
    void survivesTruncation();
    void survivesLyingFields_data();
    void survivesLyingFields();
    void loadsAsPicture_data();
    void loadsAsPicture();
    void keepsTextToItsBounds_data();
    void keepsTextToItsBounds();

private:
    void addFixtures();
};

void TestMetafile::addFixtures()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("emf") << fixtures::emf();
    QTest::newRow("placeable wmf") << fixtures::placeableWmf();
    QTest::newRow("plain wmf") << fixtures::plainWmf();
}

void TestMetafile::sniffsByContent_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("metafile");
    QTest::newRow("emf") << fixtures::emf().left(64) << true;
    QTest::newRow("placeable wmf") << fixtures::placeableWmf().left(64) << true;
    QTest::newRow("plain wmf") << fixtures::plainWmf().left(64) << true;
    QTest::newRow("png") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << false;
    QTest::newRow("empty") << QByteArray() << false;
    QByteArray otherVersion = fixtures::plainWmf().left(64);
    otherVersion[4] = 0x02;
    QTest::newRow("wmf of unknown version") << otherVersion << false;
    QByteArray noSignature = fixtures::emf().left(64);
    noSignature[41] = 'X';
    QTest::newRow("emf without signature") << noSignature << false;
}

void TestMetafile::sniffsByContent()
{
    QFETCH(QByteArray, head);
    QFETCH(bool, metafile);
    QCOMPARE(picture::looksLikeMetafile(head), metafile);
    if (!metafile)
        QVERIFY(!picture::decodeMetafile(head, loaderBound));
}

void TestMetafile::drawsTheFixture_data()
{
    addFixtures();
}

void TestMetafile::drawsTheFixture()
{
    QFETCH(QByteArray, data);
    QVERIFY(!data.isEmpty());
    const std::optional<QImage> decoded = picture::decodeMetafile(data, loaderBound);
    QVERIFY(decoded);
    const QImage &image = *decoded;
    QCOMPARE(image.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(image.size(), QSize(fixtures::pictureWidth, fixtures::pictureHeight));

    const QRect red = fixtures::redRectangle;
    for (const QPoint &p :
         {red.center(), red.topLeft() + QPoint(2, 2), red.bottomRight() - QPoint(2, 2)})
        QCOMPARE(image.pixelColor(p), fixtures::red);
    // An ellipse is filled, and only inside its outline.
    const QRect blue = fixtures::blueEllipse;
    QCOMPARE(image.pixelColor(blue.center()), fixtures::blue);
    QCOMPARE(image.pixelColor(blue.center() + QPoint(blue.width() / 2 - 4, 0)), fixtures::blue);
    QCOMPARE(qAlpha(image.pixel(blue.topLeft() + QPoint(3, 3))), 0);

    // The bitmap's rows are stored bottom-up; its pixels are stretched without blending.
    const QRect bitmap = fixtures::bitmapArea;
    const int inset = 3;
    QCOMPARE(image.pixelColor(bitmap.topLeft() + QPoint(inset, inset)), fixtures::green);
    QCOMPARE(image.pixelColor(bitmap.center() - QPoint(inset, inset)), fixtures::green);
    QCOMPARE(image.pixelColor(bitmap.topRight() + QPoint(-inset, inset)), fixtures::yellow);
    QCOMPARE(image.pixelColor(bitmap.bottomLeft() + QPoint(inset, -inset)), fixtures::yellow);
    QCOMPARE(image.pixelColor(bitmap.bottomRight() - QPoint(inset, inset)), fixtures::green);

    // Both characters are drawn where the text goes, as two different glyphs (a missing
    // glyph would draw the same box twice), and nothing dark spills far above the text.
    const QRect text = fixtures::textArea;
    const int half = text.width() / 2;
    const QList<QPoint> first =
        darkPixels(image, QRect(text.left(), text.top(), half, text.height()));
    const QList<QPoint> second =
        darkPixels(image, QRect(text.left() + half, text.top(), half, text.height()));
    QVERIFY2(first.size() > 150, qPrintable(QString::number(first.size())));
    QVERIFY2(second.size() > 150, qPrintable(QString::number(second.size())));
    QVERIFY(first != second);
    QVERIFY(darkPixels(image, QRect(text.left(), text.top() - 12, text.width(), 8)).isEmpty());

    for (const QPoint &p : fixtures::blankPoints)
        QCOMPARE(qAlpha(image.pixel(p)), 0);
}

void TestMetafile::sizesPlainWmfFromTheWindowWithoutViewport()
{
    // Without a viewport extent, the window extent of the scalable modes is taken as twips.
    QByteArray data = fixtures::plainWmf();
    const qsizetype viewport = recordOffset(wmfRecords(data), WmfRecord::SetViewportExt);
    QVERIFY(viewport > 0);
    poke<quint16>(data, viewport + 4, quint16(WmfRecord::RealizePalette)); // draws nothing
    const std::optional<QImage> image = picture::decodeMetafile(data, loaderBound);
    QVERIFY(image);
    QCOMPARE(image->size(), QSize(fixtures::pictureWidth, fixtures::pictureHeight));
    QCOMPARE(image->pixelColor(fixtures::redRectangle.center()), fixtures::red);
}

void TestMetafile::refusesFramesBeyondTheBound_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<qint64>("maxPixels");
    const qint64 exact = qint64(fixtures::pictureWidth) * fixtures::pictureHeight;
    QTest::newRow("emf one pixel over") << fixtures::emf() << exact - 1;
    QTest::newRow("wmf one pixel over") << fixtures::placeableWmf() << exact - 1;
    QTest::newRow("plain wmf one pixel over") << fixtures::plainWmf() << exact - 1;

    QByteArray wide = fixtures::plainWmf();
    const qsizetype viewport = recordOffset(wmfRecords(wide), WmfRecord::SetViewportExt);
    poke<qint16>(wide, viewport + 6, 32767);
    poke<qint16>(wide, viewport + 8, 32767);
    QTest::newRow("plain wmf 32767 square") << wide << qint64(32767) * 32767 - 1;
}

void TestMetafile::refusesFramesBeyondTheBound()
{
    QFETCH(QByteArray, data);
    QFETCH(qint64, maxPixels);
    QVERIFY(!picture::decodeMetafile(data, maxPixels));
}

void TestMetafile::survivesTruncation_data()
{
    QTest::addColumn<QByteArray>("data");
    const QList<QPair<const char *, QByteArray>> all = {{"emf", fixtures::emf()},
                                                        {"placeable wmf", fixtures::placeableWmf()},
                                                        {"plain wmf", fixtures::plainWmf()}};
    for (const auto &[name, data] : all) {
        for (qsizetype length :
             {qsizetype(0), qsizetype(5), qsizetype(21), qsizetype(30), qsizetype(44),
              qsizetype(87), qsizetype(120), data.size() / 2, data.size() - 7, data.size() - 1}) {
            QTest::addRow("%s cut at %lld", name, qlonglong(length)) << data.left(length);
        }
    }
}

void TestMetafile::survivesTruncation()
{
    // A cut file is either refused or drawn as far as it goes, never larger than declared.
    QFETCH(QByteArray, data);
    const std::optional<QImage> image = picture::decodeMetafile(data, loaderBound);
    if (image)
        QCOMPARE(image->size(), QSize(fixtures::pictureWidth, fixtures::pictureHeight));
}

void TestMetafile::survivesLyingFields_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("redDrawn");

    QByteArray counts = fixtures::emf();
    poke<quint32>(counts, 48, 0xffffffff);
    poke<quint32>(counts, 52, 0xffffffff);
    poke<quint16>(counts, 56, 0xffff);
    QTest::newRow("emf byte, record and handle counts") << counts << true;

    const QByteArray emf = fixtures::emf();
    const auto emfAt = [&](EmfRecord type) { return recordOffset(emfRecords(emf), type); };
    QByteArray hugeRecord = emf;
    poke<quint32>(hugeRecord, emfAt(EmfRecord::Ellipse) + 4, 0xfffffff0);
    QTest::newRow("emf record larger than file") << hugeRecord << true;
    QByteArray zeroRecord = emf;
    poke<quint32>(zeroRecord, emfAt(EmfRecord::Ellipse) + 4, 0);
    QTest::newRow("emf record of size 0") << zeroRecord << true;
    QByteArray bigBitmap = emf;
    const qsizetype dib = emfAt(EmfRecord::StretchDiBits);
    const quint32 infoAt = qFromLittleEndian<quint32>(bigBitmap.constData() + dib + 48);
    poke<qint32>(bigBitmap, dib + infoAt + 4, 30000);
    poke<qint32>(bigBitmap, dib + infoAt + 8, 30000);
    QTest::newRow("emf bitmap larger than its bits") << bigBitmap << true;
    QByteArray farBits = emf;
    poke<quint32>(farBits, dib + 56, 0x7ffffff0);
    QTest::newRow("emf bitmap bits past the record") << farBits << true;
    QByteArray textCount = emf;
    poke<quint32>(textCount, emfAt(EmfRecord::ExtTextOutW) + 44, 0x40000000);
    QTest::newRow("emf text longer than record") << textCount << true;
    QByteArray slot = emf;
    poke<quint32>(slot, emfAt(EmfRecord::CreateBrushIndirect) + 8, 0xfffffff);
    QTest::newRow("emf object slot far away") << slot << false;

    const QByteArray wmf = fixtures::placeableWmf();
    const auto wmfAt = [&](WmfRecord function) { return recordOffset(wmfRecords(wmf), function); };
    QByteArray hugeWmfRecord = wmf;
    poke<quint32>(hugeWmfRecord, wmfAt(WmfRecord::Ellipse), 0x7fffffff);
    QTest::newRow("wmf record larger than file") << hugeWmfRecord << true;
    QByteArray zeroWmfRecord = wmf;
    poke<quint32>(zeroWmfRecord, wmfAt(WmfRecord::Ellipse), 0);
    QTest::newRow("wmf record of size 0") << zeroWmfRecord << true;
    QByteArray header = wmf;
    poke<quint16>(header, 22 + 10, 0);
    poke<quint32>(header, 22 + 12, 0xffffffff);
    QTest::newRow("wmf object count and largest record") << header << true;
    QByteArray wmfBitmap = wmf;
    const qsizetype stretch = wmfAt(WmfRecord::StretchDib);
    poke<qint32>(wmfBitmap, stretch + 28 + 4, 0x7fffffff);
    poke<qint32>(wmfBitmap, stretch + 28 + 8, -0x7fffffff);
    QTest::newRow("wmf bitmap of absurd size") << wmfBitmap << true;
    QByteArray textLength = wmf;
    poke<quint16>(textLength, wmfAt(WmfRecord::ExtTextOut) + 10, 0xffff);
    QTest::newRow("wmf text longer than record") << textLength << true;
}

void TestMetafile::survivesLyingFields()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, redDrawn);
    const std::optional<QImage> image = picture::decodeMetafile(data, loaderBound);
    QVERIFY(image);
    QCOMPARE(image->size(), QSize(fixtures::pictureWidth, fixtures::pictureHeight));
    // Records before the damage are still drawn.
    QCOMPARE(image->pixelColor(fixtures::redRectangle.center()) == fixtures::red, redDrawn);
}

void TestMetafile::loadsAsPicture_data()
{
    addFixtures();
}

void TestMetafile::loadsAsPicture()
{
    // The loader judges by content: a metafile under a raster name is still drawn.
    QFETCH(QByteArray, data);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("picture.bmp")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    const std::optional<toolkit::Picture> picture = toolkit::LoadPicture(file.fileName());
    QVERIFY(picture);
    QCOMPARE(picture->image().size(), QSize(fixtures::pictureWidth, fixtures::pictureHeight));
    QCOMPARE(picture->image().pixelColor(fixtures::redRectangle.center()), fixtures::red);
    QCOMPARE(qAlpha(picture->image().pixel(fixtures::blankPoints[0])), 0);
}

void TestMetafile::keepsTextToItsBounds_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QRect>("bounds");
    // The bounds each text record gives, in pixels.
    QTest::newRow("emf turned in device space")
        << QStringLiteral("emf/text-turned-in-device-space.emf") << QRect(16, 74, 32, 100);
    QTest::newRow("emf chart title, y-up window")
        << QStringLiteral("emf/chart-title-under-a-y-up-window.emf") << QRect(16, 74, 32, 100);
    QTest::newRow("emf turned under a metric mapping")
        << QStringLiteral("emf/text-turned-under-a-metric-mapping.emf") << QRect(192, 38, 32, 100);
    QTest::newRow("wmf chart title, y-up window")
        << QStringLiteral("wmf/chart-title-under-a-y-up-window.wmf") << QRect(16, 74, 32, 100);
    QTest::newRow("emf small text")
        << QStringLiteral("emf/small-text.emf") << QRect(120, 110, 96, 48);
}

void TestMetafile::keepsTextToItsBounds()
{
    QFETCH(QString, file);
    QFETCH(QRect, bounds);
    const std::optional<QImage> image = picture::decodeMetafile(testData(file), loaderBound);
    QVERIFY(image);
    // The text keeps to the bounds its record gives, and fills most of their length and breadth.
    const QList<QPoint> ink = darkPixels(*image, image->rect());
    QRect inked;
    for (const QPoint &p : ink)
        inked |= QRect(p, QSize(1, 1));
    QVERIFY2(bounds.adjusted(-2, -2, 2, 2).contains(inked),
             qPrintable(QStringLiteral("ink in %1,%2 %3x%4")
                            .arg(inked.x())
                            .arg(inked.y())
                            .arg(inked.width())
                            .arg(inked.height())));
    QVERIFY(inked.width() * 2 > bounds.width() && inked.height() * 2 > bounds.height());
}

TYPORAMA_TEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
