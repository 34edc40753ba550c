#include "colour/channel_keys.h"
#include "colour/channel_text.h"
#include "support/test_table.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace colour;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

} // namespace

class TestChannelText : public QObject
{
    Q_OBJECT

private slots:
    void decimalReading_data();
    void decimalReading();
    void decimalReadingOfHugeTexts();
    void hexReading_data();
    void hexReading();
    void shortestDecimalForm_data();
    void shortestDecimalForm();
    void shortestDecimalReadsBack();
    void switchHexForm_data();
    void switchHexForm();
    void integer16_data();
    void integer16();
    void colours_data();
    void colours();
    void keys_data();
    void keys();
};

void TestChannelText::decimalReading_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-text/decimal-reading.json")));
}

void TestChannelText::decimalReading()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const double read = readDecimal(text);
    QCOMPARE(read, value);
    QVERIFY(!std::signbit(read) || value < 0);
}

void TestChannelText::decimalReadingOfHugeTexts()
{
    // A million digits reads as infinity, above the cap.
    QCOMPARE(readDecimal(QString(1'000'000, u'9')), infinity);
    // Zeros and an exponent that cancel out: the digits count, not only the exponent.
    QCOMPARE(readDecimal(u'1' + QString(500'000, u'0') + QStringLiteral("e-499998")), 100.0);
    QCOMPARE(
        readDecimal(QStringLiteral("0.") + QString(500'000, u'0') + QStringLiteral("3e500002")),
        30.0);
    QCOMPARE(readDecimal(QString(300, u'0') + QStringLiteral("42")), 42.0);
}

void TestChannelText::hexReading_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-text/hex-reading.json")));
    QTest::newRow("past a double") << QString(300, u'F') << infinity;
    QTest::newRow("leading zeros of any length")
        << QString(100'000, u'0') + QStringLiteral("C8") << 200.0;
}

void TestChannelText::hexReading()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(readHex(text), value);
}

void TestChannelText::shortestDecimalForm_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-text/shortest-decimal.json")));
}

void TestChannelText::shortestDecimalForm()
{
    QFETCH(double, value);
    QFETCH(QString, form);
    QCOMPARE(shortestDecimal(value), std::optional<QString>(form));
}

void TestChannelText::shortestDecimalReadsBack()
{
    // The written form is a fixed point of the decimal handling: read back it gives the same
    // value and so the same form, written out in digits for very small and large values alike.
    const double values[] = {
        1e-7, 123.456, 1.0 / 3, 1e20, 6.02e23, -2.5e-300, 1.7976931348623157e308};
    for (const double value : values) {
        const std::optional<QString> form = shortestDecimal(value);
        QVERIFY(form);
        QVERIFY2(!form->contains(u'e'), qPrintable(*form));
        QCOMPARE(readDecimal(*form), value);
        QCOMPARE(toInteger16(*form).has_value(), std::abs(value) < 32767);
    }
    QVERIFY(!shortestDecimal(infinity));
}

void TestChannelText::switchHexForm_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-text/switch-hex.json")));
}

void TestChannelText::switchHexForm()
{
    QFETCH(double, value);
    QFETCH(QString, form);
    QCOMPARE(switchHex(value), std::optional<QString>(form));
    QCOMPARE(readHex(form), std::nearbyint(std::max(value, 0.0)));
}

void TestChannelText::integer16_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-text/integer16.json")));
    QTest::newRow("many zeros") << QString(10'000, u'0') + u'7' << 7 << true;
}

void TestChannelText::integer16()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QFETCH(bool, converts);
    const std::optional<std::int16_t> converted = toInteger16(text);
    QCOMPARE(converted.has_value(), converts);
    if (converts)
        QCOMPARE(int(*converted), value);
}

void TestChannelText::colours_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-text/colours.json")));
}

void TestChannelText::colours()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, decimalBuilds);
    QFETCH(QColor, decimal);
    QFETCH(QColor, hex);
    const std::optional<QColor> built = decimalColourOf(texts[0], texts[1], texts[2]);
    QCOMPARE(built.has_value(), decimalBuilds);
    if (decimalBuilds)
        QCOMPARE(*built, decimal);
    QCOMPARE(hexColourOf(texts[0], texts[1], texts[2]), hex);
}

void TestChannelText::keys_data()
{
    QVERIFY(addTestRows(QStringLiteral("channel-text/keys.json")));
}

void TestChannelText::keys()
{
    QFETCH(int, code);
    QFETCH(bool, decimalTakes);
    QFETCH(bool, hexTakes);
    QCOMPARE(acceptsKey(code, true), decimalTakes);
    QCOMPARE(acceptsKey(code, false), hexTakes);
}

QTEST_APPLESS_MAIN(TestChannelText)
#include "tst_channel_text.moc"
