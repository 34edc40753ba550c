#pragma once

#include <optional>

class QKeyEvent;

namespace toolkit {

// The character code a key press types, or nothing for keys that type no character
// (Delete, arrows, Tab, Home/End, function keys). Enter is 13, Backspace 8, Escape 27 and
// Ctrl+letter 1 to 26, whatever text the platform attached to the event.
std::optional<int> charCode(const QKeyEvent &event);

} // namespace toolkit
