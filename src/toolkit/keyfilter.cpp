#include "toolkit/keyfilter.h"

#include "toolkit/charcode.h"
#include "toolkit/textbox.h"

#include <QKeyEvent>

namespace toolkit {

KeyFilter::KeyFilter(TextBox *box) : QObject(box), m_box(box) { box->installEventFilter(this); }

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const std::optional<int> typed = charCode(*key);
    if (!typed)
        return false;
    int code = *typed;
    emit m_box->keyPress(code);
    if (code == *typed)
        return false;
    if (code == 8)
        m_box->backspace();
    else if (code >= 0x20)
        m_box->insert(QString(QChar(static_cast<char16_t>(code))));
    return true;
}

} // namespace toolkit
