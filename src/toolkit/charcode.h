#pragma once

#include <optional>

class QKeyEvent;

namespace toolkit {

// The character code a key press types, or nothing for keys that type no character
// (Delete, arrows, Tab, Home/End, function keys, Alt+letter, Ctrl with a keypad key). Enter is
// 13, Backspace 8, Ctrl+Backspace 127, Escape 27 and Ctrl+letter 1 to 26 (Ctrl+H is 8), whatever
// text the platform attached to the event.
std::optional<int> charCode(const QKeyEvent &event);

} // namespace toolkit
