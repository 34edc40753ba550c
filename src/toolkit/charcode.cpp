#include "toolkit/charcode.h"

#include <QKeyEvent>

namespace toolkit {

std::optional<int> charCode(const QKeyEvent &event)
{
    const int key = event.key();
    const Qt::KeyboardModifiers mods = event.modifiers() & ~Qt::KeypadModifier;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        // Ctrl+Backspace types the delete character, not a second backspace.
        return (mods & Qt::ControlModifier) ? 127 : 8;
    case Qt::Key_Escape:
        return 27;
    default:
        break;
    }
    // A real X server sends Ctrl+V with the text "\x16", QTest with the plain letter; the key
    // and the modifier agree in both.
    if ((mods & Qt::ControlModifier) && !(mods & (Qt::AltModifier | Qt::MetaModifier)) &&
        key >= Qt::Key_A && key <= Qt::Key_Z) {
        return key - Qt::Key_A + 1;
    }
    if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const QString text = event.text();
    if (text.isEmpty())
        return std::nullopt;
    const char16_t first = text.at(0).unicode();
    if (first < 0x20 || first == 0x7f)
        return std::nullopt;
    return static_cast<int>(first);
}

} // namespace toolkit
