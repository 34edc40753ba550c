#pragma once

#include <QStringView>

#include <optional>

namespace colour {

// A decimal numeral found at the start of a text: its value and how many characters it spans.
struct Numeral
{
    double value = 0;
    qsizetype length = 0;
};

// The longest decimal numeral at the very start of the text (optional sign, digits, optional
// point with digits, optional exponent), or nothing where the text does not begin with one.
// Digits of any number and exponents of any size are read exactly as far as a double can
// hold them: a value too large gives infinity, one too small gives 0, never an error.
std::optional<Numeral> scanNumeral(QStringView text);

} // namespace colour
