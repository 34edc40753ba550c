#include "toolkit/textbox.h"

#include "toolkit/keyfilter.h"

#include <QFocusEvent>
#include <QMouseEvent>

#include <limits>

namespace toolkit {

TextBox::TextBox(QWidget *parent) : QLineEdit(parent)
{
    // A text box takes text of any length; the line edit's default would cut a paste short.
    setMaxLength(std::numeric_limits<int>::max());
    new KeyFilter(this);
    connect(this, &QLineEdit::textChanged, this, &TextBox::change);
}

void TextBox::setText(const QString &text)
{
    if (text == QLineEdit::text())
        return;
    QLineEdit::setText(text);
}

int TextBox::selStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}
int TextBox::selLength() const
{
    return hasSelectedText() ? selectionLength() : 0;
}
void TextBox::setSelStart(int start)
{
    setCursorPosition(start);
}
void TextBox::setSelLength(int length)
{
    setSelection(selStart(), length);
}

// The input method sees the text and the caret, so an on-screen keyboard (which deletes the
// characters it finds before the caret) can delete in a box; what it deletes or types passes
// the key filter. It is shown no selection, so it is not asked to reconvert the selected digits.
// A read-only box tells it that it takes no text, so no composition starts there.
QVariant TextBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return isEnabled() && !isReadOnly();
    case Qt::ImCurrentSelection:
        return QString();
    case Qt::ImAnchorPosition:
        return QLineEdit::inputMethodQuery(Qt::ImCursorPosition);
    default:
        return QLineEdit::inputMethodQuery(query);
    }
}

namespace {

// The focus leaves for the box's own context menu or another window, and comes back from there.
bool isPassing(Qt::FocusReason reason)
{
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

} // namespace

// Got-focus means the focus came from another control; it does not come back from the box's
// own context menu or from a re-activation of the window, where the focus never left the box.
void TextBox::focusInEvent(QFocusEvent *event)
{
    const bool returning = m_focusAway && isPassing(event->reason());
    m_focusAway = false;
    m_focusedByThisPress = event->reason() == Qt::MouseFocusReason;
    QLineEdit::focusInEvent(event);
    if (!returning)
        emit gotFocus();
}

void TextBox::focusOutEvent(QFocusEvent *event)
{
    m_focusAway = isPassing(event->reason());
    QLineEdit::focusOutEvent(event);
}

// A click that brings the focus keeps the selection that the got-focus handler made, as in the
// classic toolkits; a later click places the caret as usual.
void TextBox::mousePressEvent(QMouseEvent *event)
{
    m_keepSelectionOnPress = m_focusedByThisPress && hasSelectedText();
    m_focusedByThisPress = false;
    if (m_keepSelectionOnPress && event->button() == Qt::LeftButton)
        return;
    QLineEdit::mousePressEvent(event);
}

void TextBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_keepSelectionOnPress && event->button() == Qt::LeftButton) {
        m_keepSelectionOnPress = false;
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

} // namespace toolkit
