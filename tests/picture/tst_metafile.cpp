#include "picture/metafile/metafile.h"
#include "picture/pictureloader.h"
#include "support/metafile_fixtures.h"
#include "support/test_data.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/loadpicture.h"

#include <QtTest>

namespace {

constexpr qint64 loaderBound = qint64(256) * 1024 * 1024;

const QSize pictureSize(fixtures::pictureWidth, fixtures::pictureHeight);

// A committed file with the bytes a table gives, in hex, written over it at an offset.
QByteArray patchedFile(const QString &file, int at, const QString &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    return testData(file).replace(at, bytes.size(), bytes);
}

bool isDark(QRgb pixel)
{
    return qAlpha(pixel) > 128 && qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

} // namespace

class TestMetafile : public QObject
{
    Q_OBJECT

private slots:
    void sniffsByContent_data() { QVERIFY(addTestRows(QStringLiteral("metafile/sniffing.json"))); }
    void sniffsByContent();
    void drawsItsPicture_data() { addFixtures(); }
    void drawsItsPicture();
    void refusesFramesBeyondTheBound_data()
    {
        QVERIFY(addTestRows(QStringLiteral("metafile/frame-bounds.json")));
    }
    void refusesFramesBeyondTheBound();
    void survivesTruncation_data();
    void survivesTruncation();
    void survivesLyingFields_data()
    {
        QVERIFY(addTestRows(QStringLiteral("metafile/lying-fields.json")));
    }
    void survivesLyingFields();
    void keepsTextToItsBounds_data()
    {
        QVERIFY(addTestRows(QStringLiteral("metafile/text-bounds.json")));
    }
    void keepsTextToItsBounds();

private:
    void addFixtures();
};

void TestMetafile::addFixtures()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("emf") << QStringLiteral("emf/picture.emf");
    QTest::newRow("placeable wmf") << QStringLiteral("wmf/placeable.wmf");
    QTest::newRow("plain wmf") << QStringLiteral("wmf/plain.wmf");
}

void TestMetafile::sniffsByContent()
{
    QFETCH(QString, file);
    QFETCH(int, length);
    QFETCH(int, at);
    QFETCH(QString, bytes);
    QFETCH(bool, metafile);
    const QByteArray head = patchedFile(file, at, bytes).left(length);
    QCOMPARE(head.size(), length);
    QCOMPARE(picture::looksLikeMetafile(head), metafile);
    if (!metafile)
        QVERIFY(!picture::decodeMetafile(head, loaderBound));
}

void TestMetafile::drawsItsPicture()
{
    // tst_readtest compares what the loader shows; here the player's own image, and the file
    // under a raster name, which the loader must still judge by its content.
    QFETCH(QString, file);
    const std::optional<QImage> decoded = picture::decodeMetafile(testData(file), loaderBound);
    QVERIFY(decoded);
    QCOMPARE(decoded->format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(decoded->size(), pictureSize);
    QCOMPARE(pictureMismatch(*decoded, expectedPicture(file)), QString());

    QTemporaryDir dir;
    const QString renamed = dir.filePath(QStringLiteral("picture.bmp"));
    QVERIFY(QFile::copy(testDataPath(file), renamed));
    const std::optional<toolkit::Picture> loaded = toolkit::LoadPicture(renamed);
    QVERIFY(loaded);
    QCOMPARE(loaded->image().size(), pictureSize);
    QCOMPARE(pictureMismatch(loaded->image(), expectedPicture(file)), QString());
}

void TestMetafile::refusesFramesBeyondTheBound()
{
    QFETCH(QString, file);
    QFETCH(int, at);
    QFETCH(QString, bytes);
    QFETCH(qlonglong, maxPixels);
    QVERIFY(!picture::decodeMetafile(patchedFile(file, at, bytes), maxPixels));
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
        QCOMPARE(image->size(), pictureSize);
}

void TestMetafile::survivesLyingFields()
{
    QFETCH(QString, file);
    QFETCH(int, at);
    QFETCH(QString, bytes);
    QFETCH(bool, redDrawn);
    const std::optional<QImage> image =
        picture::decodeMetafile(patchedFile(file, at, bytes), loaderBound);
    QVERIFY(image);
    QCOMPARE(image->size(), pictureSize);
    // Records before the damage are still drawn.
    QCOMPARE(image->pixelColor(fixtures::redRectangle.center()) == fixtures::red, redDrawn);
}

void TestMetafile::keepsTextToItsBounds()
{
    QFETCH(QString, file);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    const QRect bounds(left, top, width, height);
    const std::optional<QImage> image = picture::decodeMetafile(testData(file), loaderBound);
    QVERIFY(image);
    // The text keeps to the bounds its record gives, and fills most of their length and breadth.
    QRect inked;
    for (int y = 0; y < image->height(); ++y)
        for (int x = 0; x < image->width(); ++x)
            if (isDark(image->pixel(x, y)))
                inked |= QRect(x, y, 1, 1);
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
