// Inputs the fuzzers found to go wrong in the metafile decoder, kept so the faults stay fixed.
// Under the sanitizer build these also catch the undefined behaviour the fault was.
#include "picture/metafile/metafile.h"
#include "support/metafile_fixtures.h"
#include "support/test_table.h"
#include "support/testmain.h"

#include <QtEndian>
#include <QtTest>

#include <sys/resource.h>

namespace {

// Where the fixture EMF keeps its font's LOGFONT (in its ExtCreateFontIndirectW record) and the
// two characters of its text (in its ExtTextOutW record).
constexpr qsizetype logFontAt = 428;
constexpr qsizetype charactersAt = 632;

// The fixture EMF with one field of its font's LOGFONT set to a value.
QByteArray emfWithFontField(qsizetype field, qint32 value)
{
    QByteArray data = fixtures::emf();
    if (data.size() < charactersAt + 4)
        return {};
    qToLittleEndian<qint32>(value, data.data() + logFontAt + field);
    return data;
}

QByteArray emfWithEscapement(qint32 escapement)
{
    return emfWithFontField(8, escapement);
}

// The most memory this process has held at once, in MiB.
qint64 peakMemoryMiB()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

bool isDark(QRgb pixel)
{
    return qAlpha(pixel) > 128 && qRed(pixel) < 60 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

qsizetype darkPixels(const QImage &image)
{
    qsizetype count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += isDark(image.pixel(x, y));
    return count;
}

qsizetype differingPixels(const QImage &a, const QImage &b)
{
    qsizetype count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

} // namespace

class TestMetafileRegressions : public QObject
{
    Q_OBJECT

private slots:
    // The text of a font whose escapement is at either end of the 32-bit range turns by that
    // angle, like a font of the same angle within a turn, and not the other way round.
    void escapementAtTheEndsOfItsRange_data()
    {
        QVERIFY(addTestRows(QStringLiteral("metafile/escapements.json")));
    }

    void escapementAtTheEndsOfItsRange()
    {
        QFETCH(qint32, escapement);
        QFETCH(qint32, sameAngle);
        QFETCH(qint32, mirrored);
        const QByteArray data = emfWithEscapement(escapement);
        QVERIFY(!data.isEmpty());

        const std::optional<QImage> picture = picture::decodeMetafile(data, 1 << 20);
        const std::optional<QImage> same =
            picture::decodeMetafile(emfWithEscapement(sameAngle), 1 << 20);
        const std::optional<QImage> other =
            picture::decodeMetafile(emfWithEscapement(mirrored), 1 << 20);
        QVERIFY(picture && same && other);
        QCOMPARE(picture->size(), QSize(fixtures::pictureWidth, fixtures::pictureHeight));
        // The angle of the huge escapement differs from its equal by rounding only, so at most
        // a few edge pixels of the characters may come out otherwise.
        const qsizetype fromSame = differingPixels(*picture, *same);
        const qsizetype fromMirrored = differingPixels(*picture, *other);
        QVERIFY2(fromSame < 20, qPrintable(QString::number(fromSame)));
        QVERIFY2(fromMirrored > 200, qPrintable(QString::number(fromMirrored)));
    }

    // Large text is drawn, both below and above the size from which it is filled as outlines.
    void largeTextDrawn_data() { QVERIFY(addTestRows(QStringLiteral("metafile/large-text.json"))); }

    void largeTextDrawn()
    {
        QFETCH(qint32, height);
        const std::optional<QImage> picture =
            picture::decodeMetafile(emfWithFontField(0, height), 1 << 20);
        QVERIFY(picture);
        // The top strokes of the first character cross the picture's lower right corner.
        QVERIFY2(darkPixels(*picture) > 1000, qPrintable(QString::number(darkPixels(*picture))));
    }

    // Text as large as a file can ask for, in characters that no font has, which Qt draws as
    // boxes through a glyph cache of gigabytes at that size.
    void largestTextWithinMemory()
    {
        QByteArray data = emfWithFontField(0, -32767);
        QVERIFY(!data.isEmpty());
        for (qsizetype at : {charactersAt, charactersAt + 2})
            qToLittleEndian<quint16>(0x0C00, data.data() + at);
        const qint64 before = peakMemoryMiB();
        const std::optional<QImage> picture = picture::decodeMetafile(data, 1 << 20);
        QVERIFY(picture);
        const qint64 growth = peakMemoryMiB() - before;
        QVERIFY2(growth < 256, qPrintable(QStringLiteral("%1 MiB").arg(growth)));
    }
};

TYPORAMA_TEST_MAIN(TestMetafileRegressions)
#include "tst_metafile_regressions.moc"
