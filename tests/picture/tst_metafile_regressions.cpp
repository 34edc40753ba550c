// Inputs the fuzzers found to go wrong in the metafile decoder, kept so the faults stay fixed.
// Under the sanitizer build these also catch the undefined behaviour the fault was.
#include "picture/metafile/metafile.h"
#include "picture/metafile/records.h"
#include "support/metafile_fixtures.h"
#include "support/testmain.h"

#include <QtEndian>
#include <QtTest>

#include <limits>

#include <sys/resource.h>

namespace {

using picture::metafile::EmfRecord;

// The offset of the fixture EMF's first record of a type, or -1.
qsizetype emfRecord(const QByteArray &data, EmfRecord wanted)
{
    for (qsizetype at = 0; at + 8 <= data.size();) {
        const quint32 type = qFromLittleEndian<quint32>(data.constData() + at);
        const quint32 size = qFromLittleEndian<quint32>(data.constData() + at + 4);
        if (type == quint32(wanted))
            return at;
        if (size == 0)
            break;
        at += size;
    }
    return -1;
}

// The fixture EMF with one field of its font's LOGFONT set to a value.
QByteArray emfWithFontField(qsizetype field, qint32 value)
{
    QByteArray data = fixtures::emf();
    const qsizetype font = emfRecord(data, EmfRecord::ExtCreateFontIndirectW);
    if (font < 0)
        return {};
    // The LOGFONT follows the record's type, size and object slot.
    qToLittleEndian<qint32>(value, data.data() + font + 12 + field);
    return data;
}

// The same with every character of its text replaced by one no installed font has.
QByteArray withTextOfNoFont(QByteArray data)
{
    const qsizetype text = emfRecord(data, EmfRecord::ExtTextOutW);
    if (text < 0)
        return {};
    // After the bounds, graphics mode and scales: the reference point, then the count and
    // offset of the characters.
    const quint32 count = qFromLittleEndian<quint32>(data.constData() + text + 44);
    const quint32 offset = qFromLittleEndian<quint32>(data.constData() + text + 48);
    for (quint32 i = 0; i < count; ++i)
        qToLittleEndian<quint16>(0x0C00, data.data() + text + offset + 2 * i);
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
        QTest::addColumn<qint32>("escapement");
        QTest::addColumn<qint32>("sameAngle");
        QTest::addColumn<qint32>("mirrored");
        // -2^31 is -848 modulo a turn of 3600 tenths; 2^31 - 1 is 847.
        QTest::newRow("-2^31") << std::numeric_limits<qint32>::min() << -848 << 848;
        QTest::newRow("2^31-1") << std::numeric_limits<qint32>::max() << 847 << -847;
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
    void largeTextDrawn_data()
    {
        QTest::addColumn<qint32>("height");
        QTest::newRow("200 pixels") << -200;
        QTest::newRow("300 pixels") << -300;
    }

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
        const QByteArray data = withTextOfNoFont(emfWithFontField(0, -32767));
        QVERIFY(!data.isEmpty());
        const qint64 before = peakMemoryMiB();
        const std::optional<QImage> picture = picture::decodeMetafile(data, 1 << 20);
        QVERIFY(picture);
        const qint64 growth = peakMemoryMiB() - before;
        QVERIFY2(growth < 256, qPrintable(QStringLiteral("%1 MiB").arg(growth)));
    }
};

TYPORAMA_TEST_MAIN(TestMetafileRegressions)
#include "tst_metafile_regressions.moc"
