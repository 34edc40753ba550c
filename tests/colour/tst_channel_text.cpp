#include "colour/channel_keys.h"
#include "colour/channel_text.h"

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
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("digits") << "255" << 255.0;
    QTest::newRow("leading zeros") << "007" << 7.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letter first") << "abc" << 0.0;
    QTest::newRow("digits then letters") << "12ab" << 12.0;
    QTest::newRow("blanks inside") << " 1 2\t3\n" << 123.0;
    QTest::newRow("blank between sign and digits") << "- 5" << -5.0;
    QTest::newRow("plus sign") << "+8" << 8.0;
    QTest::newRow("fraction") << "1.5" << 1.5;
    QTest::newRow("point first") << ".25" << 0.25;
    QTest::newRow("point last") << "5." << 5.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("exponent") << "1e2" << 100.0;
    QTest::newRow("upper exponent with sign") << "25E-1" << 2.5;
    QTest::newRow("exponent without digits") << "3e" << 3.0;
    QTest::newRow("exponent sign without digits") << "3e+x" << 3.0;
    QTest::newRow("hexadecimal letters") << "ff" << 0.0;
    QTest::newRow("hex text with digit first") << "0e1" << 0.0;
    QTest::newRow("carriage return is not a blank") << "\r5" << 0.0;
    QTest::newRow("minus zero") << "-0" << 0.0;
    QTest::newRow("past a double") << "1e400" << infinity;
    QTest::newRow("negative past a double") << "-1e400" << -infinity;
    QTest::newRow("below a double") << "1e-400" << 0.0;
    QTest::newRow("huge exponent") << "1e99999999999999999999999" << infinity;
    QTest::newRow("huge exponent on zero") << "0e99999999999999999999999" << 0.0;
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
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("upper") << "FF" << 255.0;
    QTest::newRow("lower") << "ff" << 255.0;
    QTest::newRow("leading zero") << "0ff" << 255.0;
    QTest::newRow("mixed case") << "aB" << 171.0;
    QTest::newRow("past the cap") << "FFF" << 4095.0;
    QTest::newRow("decimal text") << "255" << 597.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letter after f") << "x1" << 0.0;
    QTest::newRow("rest ignored") << "1fz9" << 31.0;
    QTest::newRow("blank ends the run") << "1 f" << 1.0;
    QTest::newRow("sign is no digit") << "-1" << 0.0;
    QTest::newRow("past 64 bits") << "10000000000000000" << std::ldexp(1.0, 64);
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
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("form");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("integer") << 255.0 << "255";
    QTest::newRow("fraction kept") << 1.5 << "1.5";
    QTest::newRow("negative") << -5.0 << "-5";
    QTest::newRow("a tenth") << 0.1 << "0.1";
    QTest::newRow("small fraction, no exponent") << 0.00001 << "0.00001";
    QTest::newRow("large, no exponent") << 1e20 << "100000000000000000000";
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
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("form");
    QTest::newRow("0") << 0.0 << "0";
    QTest::newRow("9") << 9.0 << "9";
    QTest::newRow("10") << 10.0 << "A";
    QTest::newRow("15") << 15.0 << "F";
    QTest::newRow("16") << 16.0 << "10";
    QTest::newRow("128") << 128.0 << "80";
    QTest::newRow("200") << 200.0 << "C8";
    QTest::newRow("255") << 255.0 << "FF";
    QTest::newRow("negative") << -3.0 << "0";
    QTest::newRow("minus infinity") << -infinity << "0";
    QTest::newRow("half rounds to even, up") << 1.5 << "2";
    QTest::newRow("half rounds to even, down") << 2.5 << "2";
    QTest::newRow("small fraction") << 0.4 << "0";
    QTest::newRow("past 64 bits") << std::ldexp(1.0, 70) << "400000000000000000";
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
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -1 for none where the row says so
    QTest::addColumn<bool>("converts");
    QTest::newRow("digits") << "255" << 255 << true;
    QTest::newRow("surrounding blanks") << " 12\t" << 12 << true;
    QTest::newRow("negative") << "-5" << -5 << true;
    QTest::newRow("half to even, down") << "0.5" << 0 << true;
    QTest::newRow("half to even, up") << "1.5" << 2 << true;
    QTest::newRow("exponent") << "1e2" << 100 << true;
    QTest::newRow("lowest") << "-32768" << -32768 << true;
    QTest::newRow("highest") << "32767" << 32767 << true;
    QTest::newRow("rounds past highest") << "32767.5" << 0 << false;
    QTest::newRow("past highest") << "32768" << 0 << false;
    QTest::newRow("past lowest") << "-32769" << 0 << false;
    QTest::newRow("empty") << "" << 0 << false;
    QTest::newRow("only blanks") << "  " << 0 << false;
    QTest::newRow("letters") << "FF" << 0 << false;
    QTest::newRow("digits then letters") << "12ab" << 0 << false;
    QTest::newRow("inner blank") << "1 2" << 0 << false;
    QTest::newRow("past a double") << "1e400" << 0 << false;
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
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("decimalBuilds");
    QTest::addColumn<QColor>("decimal");
    QTest::addColumn<QColor>("hex");
    QTest::newRow("white") << QStringList{"255", "255", "255"} << true << QColor(255, 255, 255)
                           << QColor(255, 255, 255);
    QTest::newRow("channels in order")
        << QStringList{"16", "32", "64"} << true << QColor(16, 32, 64) << QColor(22, 50, 100);
    QTest::newRow("negative and fraction")
        << QStringList{"-5", "1.5", "2.5"} << true << QColor(0, 2, 2) << QColor(0, 1, 2);
    QTest::newRow("empty box") << QStringList{"", "FF", "0ff"} << false << QColor()
                               << QColor(0, 255, 255);
    QTest::newRow("not a numeral")
        << QStringList{"x", "1", "1"} << false << QColor() << QColor(0, 1, 1);
    QTest::newRow("above the cap")
        << QStringList{"300", "1000", "0"} << true << QColor(255, 255, 0) << QColor(255, 255, 0);
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
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("decimalTakes");
    QTest::addColumn<bool>("hexTakes");
    QTest::newRow("0") << int('0') << true << true;
    QTest::newRow("9") << int('9') << true << true;
    QTest::newRow("backspace") << 8 << true << true;
    QTest::newRow("a") << int('a') << false << true;
    QTest::newRow("f") << int('f') << false << true;
    QTest::newRow("A") << int('A') << false << true;
    QTest::newRow("F") << int('F') << false << true;
    QTest::newRow("g") << int('g') << false << false;
    QTest::newRow("G") << int('G') << false << false;
    QTest::newRow("@ below A") << int('@') << false << false;
    QTest::newRow("` below a") << int('`') << false << false;
    QTest::newRow("enter") << 13 << false << false;
    QTest::newRow("minus") << int('-') << false << false;
    QTest::newRow("point") << int('.') << false << false;
    QTest::newRow("ctrl+v") << 22 << false << false;
    QTest::newRow("ctrl+c") << 3 << false << false;
    QTest::newRow("ctrl+x") << 24 << false << false;
    QTest::newRow("full-width one") << 0xFF11 << false << false;
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
