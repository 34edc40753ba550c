#pragma once

#include <QColor>
#include <QString>

#include <cstdint>
#include <optional>

// The text format of a colour channel: how a box's text is read in either base, the forms the
// program writes, and how channels become a colour. No widgets here.
namespace colour {

// The largest channel value; a box holding more is rewritten to the cap text of its base.
inline constexpr double channelCap = 255;

// Value of a text by the decimal reading: blanks, tabs and line feeds are ignored wherever they
// stand; the longest leading numeral (optional sign, digits, optional point with digits,
// optional exponent) is read and the rest ignored; a text that begins with no numeral reads 0.
// Any length and any size reads without error: too large for a double gives infinity.
double readDecimal(const QString &text);

// Value of a text by the hexadecimal reading: the longest leading run of hexadecimal digits,
// either case, as an unsigned number of any length (infinity where a double cannot hold it);
// 0 where the text begins with no hexadecimal digit.
double readHex(const QString &text);

// The shortest decimal form of a value: no leading zeros, no blanks, no exponent, the fraction
// kept ("1.5", "0.00001"); the value 0 is "0". Reading the form back gives the value again. Nothing
// for infinity, which has no decimal form.
std::optional<QString> shortestDecimal(double value);

// The form a switch to hexadecimal writes: upper-case digits without leading zeros; a negative
// value is written "0" and a fraction is rounded, halves to even, so the colour shown stays.
// Nothing for infinity.
std::optional<QString> switchHex(double value);

// Conversion of a box's whole text (surrounding blanks allowed) to a 16-bit integer for the
// decimal colour build; nothing for an empty text, a non-numeral or a value outside -32768 to
// 32767. A fraction rounds to the nearest integer, halves to even.
std::optional<std::int16_t> toInteger16(const QString &text);

// A channel value as it enters a colour: below 0 counts as 0, above 255 as 255, a fraction
// rounds to the nearest integer, halves to even.
int channelLevel(double value);

// The colour red + 256 × green + 65536 × blue of three channel values.
QColor colourOf(double red, double green, double blue);

// The colour of a group's three texts in decimal: each converted strictly to a 16-bit integer,
// nothing where any of them cannot be.
std::optional<QColor> decimalColourOf(const QString &red, const QString &green,
                                      const QString &blue);

// The colour of a group's three texts in hexadecimal: each read leniently, so an empty text or
// one without a leading hexadecimal digit counts as 0.
QColor hexColourOf(const QString &red, const QString &green, const QString &blue);

} // namespace colour
