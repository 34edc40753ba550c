// Inputs the fuzzers found to go wrong in the metafile decoder, kept so the faults stay fixed.
// Under the sanitizer build these also catch the undefined behaviour the fault was.
#include "support/metafile_fixtures.h"
#include "toolkit/metafile/metafile.h"

#include <QtEndian>
#include <QtTest>

#include <limits>

namespace {

constexpr quint32 emrExtCreateFontIndirectW = 82;

// The fixture EMF with its font's escapement, in tenths of a degree, set to a value.
QByteArray emfWithEscapement(qint32 escapement)
{
    QByteArray data = fixtures::emf();
    for (qsizetype at = 0; at + 8 <= data.size();) {
        const quint32 type = qFromLittleEndian<quint32>(data.constData() + at);
        const quint32 size = qFromLittleEndian<quint32>(data.constData() + at + 4);
        if (type == emrExtCreateFontIndirectW) {
            // The record's type, size and object slot, then the LOGFONT's height and width.
            qToLittleEndian<qint32>(escapement, data.data() + at + 20);
            return data;
        }
        if (size == 0)
            break;
        at += size;
    }
    return {};
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

        const std::optional<QImage> picture = toolkit::decodeMetafile(data, 1 << 20);
        const std::optional<QImage> same =
            toolkit::decodeMetafile(emfWithEscapement(sameAngle), 1 << 20);
        const std::optional<QImage> other =
            toolkit::decodeMetafile(emfWithEscapement(mirrored), 1 << 20);
        QVERIFY(picture && same && other);
        QCOMPARE(picture->size(), QSize(fixtures::pictureWidth, fixtures::pictureHeight));
        // The angle of the huge escapement differs from its equal by rounding only, so at most
        // a few edge pixels of the characters may come out otherwise.
        const qsizetype fromSame = differingPixels(*picture, *same);
        const qsizetype fromMirrored = differingPixels(*picture, *other);
        QVERIFY2(fromSame < 20, qPrintable(QString::number(fromSame)));
        QVERIFY2(fromMirrored > 200, qPrintable(QString::number(fromMirrored)));
    }
};

QTEST_MAIN(TestMetafileRegressions)
#include "tst_metafile_regressions.moc"
