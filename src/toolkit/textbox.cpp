#include "toolkit/textbox.h"

#include "toolkit/keyfilter.h"

#include <QFocusEvent>
#include <QMouseEvent>

namespace toolkit {

TextBox::TextBox(QWidget *parent) : QLineEdit(parent)
{
    new KeyFilter(this);
    connect(this, &QLineEdit::textChanged, this, &TextBox::change);
}

void TextBox::setText(const QString &text)
{
    if (text == QLineEdit::text())
        return;
    QLineEdit::setText(text);
}

int TextBox::selStart() const { return hasSelectedText() ? selectionStart() : cursorPosition(); }
int TextBox::selLength() const { return hasSelectedText() ? selectionLength() : 0; }
void TextBox::setSelStart(int start) { setCursorPosition(start); }
void TextBox::setSelLength(int length) { setSelection(selStart(), length); }

void TextBox::focusInEvent(QFocusEvent *event)
{
    m_focusedByThisPress = event->reason() == Qt::MouseFocusReason;
    QLineEdit::focusInEvent(event);
    emit gotFocus();
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
