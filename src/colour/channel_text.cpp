#include "colour/channel_text.h"

#include "colour/numeral.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace colour {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// The value of a hexadecimal digit, or -1 for any other character.
int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

} // namespace

double readDecimal(const QString &text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (!isBlank(c))
            compact.append(c);
    }
    const std::optional<Numeral> numeral = scanNumeral(compact);
    return numeral ? numeral->value : 0.0;
}

double readHex(const QString &text)
{
    double value = 0;
    for (const QChar c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

std::optional<QString> shortestDecimal(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // Negative zero would come out as "-0".
    if (value == 0)
        return QStringLiteral("0");
    // Fixed notation, never an exponent: 0.00001 stays 0.00001. The largest double takes 309
    // digits and the smallest 325 characters.
    std::array<char, 400> digits{};
    const std::to_chars_result written = std::to_chars(digits.data(), digits.data() + digits.size(),
                                                       value, std::chars_format::fixed);
    if (written.ec != std::errc())
        return std::nullopt;
    return QString::fromLatin1(digits.data(), written.ptr - digits.data());
}

std::optional<QString> switchHex(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    if (!(value > 0))
        return QStringLiteral("0");
    double rest = std::nearbyint(value);
    if (!std::isfinite(rest))
        return std::nullopt;
    if (rest == 0)
        return QStringLiteral("0");
    // Digit by digit, so that a value past 64 bits is written exactly as well.
    QString digits;
    while (rest > 0) {
        const int digit = static_cast<int>(std::fmod(rest, 16));
        digits.prepend(QChar(u"0123456789ABCDEF"[digit]));
        rest = std::floor(rest / 16);
    }
    return digits;
}

std::optional<std::int16_t> toInteger16(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    const QStringView numeralText = QStringView(text).sliced(first, last - first);
    const std::optional<Numeral> numeral = scanNumeral(numeralText);
    if (!numeral || numeral->length != numeralText.size())
        return std::nullopt;
    const double rounded = std::nearbyint(numeral->value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max()))
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

int channelLevel(double value)
{
    if (!(value > 0))
        return 0;
    if (value > channelCap)
        return static_cast<int>(channelCap);
    return static_cast<int>(std::nearbyint(value));
}

QColor colourOf(double red, double green, double blue)
{
    return QColor(channelLevel(red), channelLevel(green), channelLevel(blue));
}

std::optional<QColor> decimalColourOf(const QString &red, const QString &green, const QString &blue)
{
    const std::optional<std::int16_t> r = toInteger16(red);
    const std::optional<std::int16_t> g = toInteger16(green);
    const std::optional<std::int16_t> b = toInteger16(blue);
    if (!r || !g || !b)
        return std::nullopt;
    return colourOf(*r, *g, *b);
}

QColor hexColourOf(const QString &red, const QString &green, const QString &blue)
{
    return colourOf(readHex(red), readHex(green), readHex(blue));
}

} // namespace colour
