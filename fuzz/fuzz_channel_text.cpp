// The colour channel texts: whatever a user pastes into a box is read in both bases, and
// every value a box can come to hold is written back in both forms. Beyond not failing, the
// forms must read back to their value, since a written form that reads as another value
// would make the change handling rewrite the box again and again.
#include "fuzz_check.h"

#include "colour/channel_text.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Whether a text, blanks around it aside, is one decimal numeral and nothing else: the texts
// the strict conversion must take when their value fits.
bool isWholeNumeral(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    qsizetype pos = first;
    if (pos < last && (text[pos] == u'+' || text[pos] == u'-'))
        ++pos;
    qsizetype digits = 0;
    for (; pos < last && isDigit(text[pos]); ++pos)
        ++digits;
    if (pos < last && text[pos] == u'.') {
        for (++pos; pos < last && isDigit(text[pos]); ++pos)
            ++digits;
    }
    if (digits == 0)
        return false;
    if (pos < last && (text[pos] == u'e' || text[pos] == u'E')) {
        ++pos;
        if (pos < last && (text[pos] == u'+' || text[pos] == u'-'))
            ++pos;
        qsizetype exponentDigits = 0;
        for (; pos < last && isDigit(text[pos]); ++pos)
            ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return pos == last;
}

bool isHexForm(const QString &text)
{
    if (text.isEmpty() || (text.size() > 1 && text[0] == u'0'))
        return false;
    for (const QChar c : text) {
        if (!isDigit(c) && !(c >= u'A' && c <= u'F'))
            return false;
    }
    return true;
}

bool isDecimalForm(const QString &text)
{
    if (text.isEmpty() || text.contains(u' '))
        return false;
    const QStringView unsigned_ = text.startsWith(u'-') ? QStringView(text).mid(1) : text;
    // No leading zero before further digits of the integer part.
    return !unsigned_.isEmpty() && isDigit(unsigned_[0]) &&
           !(unsigned_[0] == u'0' && unsigned_.size() > 1 && isDigit(unsigned_[1]));
}

void checkWriters(double value)
{
    const std::optional<QString> decimal = colour::shortestDecimal(value);
    fuzzCheck(decimal.has_value() == std::isfinite(value), "a decimal form for finite values only");
    if (decimal) {
        fuzzCheck(isDecimalForm(*decimal), "the decimal form has no blanks or leading zeros");
        fuzzCheck(colour::readDecimal(*decimal) == value, "the decimal form reads back");
        fuzzCheck(colour::shortestDecimal(colour::readDecimal(*decimal)) == decimal,
                  "the decimal form is a fixed point of the rewrite");
    }

    const std::optional<QString> hex = colour::switchHex(value);
    const bool hexExpected =
        !std::isnan(value) && !(value == std::numeric_limits<double>::infinity());
    fuzzCheck(hex.has_value() == hexExpected, "a hexadecimal form for all but NaN and infinity");
    if (hex) {
        fuzzCheck(isHexForm(*hex), "the hexadecimal form is upper-case digits, no leading zero");
        const double expected = value > 0 ? std::nearbyint(value) : 0.0;
        fuzzCheck(colour::readHex(*hex) == expected, "the hexadecimal form reads back rounded");
    }

    const int level = colour::channelLevel(value);
    fuzzCheck(level >= 0 && level <= 255, "a channel level lies within 0 to 255");
    if (value >= 0 && value <= 255)
        fuzzCheck(std::abs(level - value) <= 0.5, "a level in range is the value rounded");
    const QColor colour = colour::colourOf(value, -value, value * 16);
    fuzzCheck(colour.isValid() && colour.red() == level, "the colour's red is the level");
}

void checkReaders(const QString &text)
{
    const double decimal = colour::readDecimal(text);
    const double hex = colour::readHex(text);
    fuzzCheck(!std::isnan(decimal), "the decimal reading is a number");
    fuzzCheck(!std::isnan(hex) && hex >= 0, "the hexadecimal reading is a number, not negative");

    const std::optional<std::int16_t> integer = colour::toInteger16(text);
    if (integer) {
        fuzzCheck(isWholeNumeral(text), "only a whole numeral converts strictly");
        fuzzCheck(std::nearbyint(decimal) == *integer, "the conversion is the reading rounded");
    } else if (isWholeNumeral(text)) {
        const double rounded = std::nearbyint(decimal);
        fuzzCheck(rounded < -32768 || rounded > 32767, "a numeral in range converts strictly");
    }

    const std::optional<QColor> strict = colour::decimalColourOf(text, QStringLiteral("0"), text);
    fuzzCheck(strict.has_value() == integer.has_value(),
              "a decimal colour where the text converts");
    if (strict)
        fuzzCheck(strict->red() == colour::channelLevel(*integer) && strict->green() == 0,
                  "the decimal colour holds the converted channels");
    const QColor lenient = colour::hexColourOf(text, QString(), text);
    fuzzCheck(lenient.red() == colour::channelLevel(hex) && lenient.green() == 0,
              "the hexadecimal colour holds the read channels");

    checkWriters(decimal);
    checkWriters(hex);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    // The same bytes as pasted text, and as UTF-16 to reach lone surrogates and every code unit.
    checkReaders(QString::fromUtf8(bytes, qsizetype(size)));
    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);
    checkReaders(QString::fromStdU16String(units));
    // And as a raw value, to reach negative zero, NaN, subnormals and the largest doubles.
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        checkWriters(value);
    }
    return 0;
}
