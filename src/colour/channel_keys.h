#pragma once

// Which typed characters a colour channel box takes.
namespace colour {

// Whether the key filter lets a character code through: digits and backspace always, the
// letters a to f and A to F only in hexadecimal. Every other code, control codes included,
// is discarded.
bool acceptsKey(int keyAscii, bool decimalMode);

} // namespace colour
