#include "colour/numeral.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace colour {

namespace {

// Past this, an exponent cannot change whether the value is infinite or zero, whatever the
// number of digits a text of any realistic length can hold.
constexpr std::int64_t exponentLimit = std::int64_t{1} << 52;

// Beyond these decimal exponents no double exists, so from_chars is not even asked.
constexpr std::int64_t largestExponent = 400;
constexpr std::int64_t smallestExponent = -400;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

qsizetype skipDigits(QStringView text, qsizetype from)
{
    while (from < text.size() && isDigit(text[from]))
        ++from;
    return from;
}

// The exponent digits in [from, to) as a number, saturated at exponentLimit.
std::int64_t exponentValue(QStringView text, qsizetype from, qsizetype to)
{
    std::int64_t value = 0;
    for (qsizetype i = from; i < to && value < exponentLimit; ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    return value;
}

// The value 0.<significant> × 10^exponent, where significant holds no leading zero.
double magnitude(const std::string &significant, std::int64_t exponent)
{
    if (significant.empty())
        return 0;
    if (exponent > largestExponent)
        return std::numeric_limits<double>::infinity();
    if (exponent < smallestExponent)
        return 0;
    const std::string normal = "0." + significant + "e" + std::to_string(exponent);
    double value = 0;
    const std::from_chars_result result =
        std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return value;
}

} // namespace

std::optional<Numeral> scanNumeral(QStringView text)
{
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-')) {
        negative = text[pos] == u'-';
        ++pos;
    }
    const qsizetype integerStart = pos;
    const qsizetype integerEnd = skipDigits(text, integerStart);
    qsizetype fractionStart = integerEnd;
    qsizetype fractionEnd = integerEnd;
    pos = integerEnd;
    if (pos < text.size() && text[pos] == u'.') {
        fractionStart = pos + 1;
        fractionEnd = skipDigits(text, fractionStart);
        pos = fractionEnd;
    }
    if (integerEnd == integerStart && fractionEnd == fractionStart)
        return std::nullopt;

    std::int64_t exponent = 0;
    if (pos < text.size() && (text[pos] == u'e' || text[pos] == u'E')) {
        qsizetype signEnd = pos + 1;
        bool negativeExponent = false;
        if (signEnd < text.size() && (text[signEnd] == u'+' || text[signEnd] == u'-')) {
            negativeExponent = text[signEnd] == u'-';
            ++signEnd;
        }
        const qsizetype digitsEnd = skipDigits(text, signEnd);
        // An exponent marker without digits is not part of the numeral.
        if (digitsEnd > signEnd) {
            exponent = exponentValue(text, signEnd, digitsEnd);
            if (negativeExponent)
                exponent = -exponent;
            pos = digitsEnd;
        }
    }

    // The significant digits, leading zeros dropped, and where the point stands among them.
    std::string significant;
    std::int64_t pointAt = integerEnd - integerStart;
    bool leading = true;
    auto take = [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i) {
            const char digit = static_cast<char>(text[i].unicode());
            if (leading && digit == '0') {
                --pointAt;
                continue;
            }
            leading = false;
            significant.push_back(digit);
        }
    };
    take(integerStart, integerEnd);
    take(fractionStart, fractionEnd);
    while (!significant.empty() && significant.back() == '0')
        significant.pop_back();

    const double value = magnitude(significant, pointAt + exponent);
    return Numeral{value == 0 ? 0.0 : (negative ? -value : value), pos};
}

} // namespace colour
