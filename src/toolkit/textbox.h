#pragma once

#include <QLineEdit>

namespace toolkit {

// A single-line text box whose change event is raised for every change of its text,
// synchronously and nested inside a program write, and never for a write of the same text.
// Its text has no length limit. Every character that would be typed into it, by a key or by an
// input method, passes a key filter first: keyPress receives the character code and may set it
// to 0 (the character is swallowed) or to another code (that character is typed instead).
// Pasted and dropped text is not filtered. A read-only box takes no input-method text at all.
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);

    // Hides QLineEdit::setText: an identical write leaves text, caret and selection untouched.
    void setText(const QString &text);

    int selStart() const;
    int selLength() const;
    void setSelStart(int start);
    void setSelLength(int length);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void change();
    void gotFocus();
    void keyPress(int &keyAscii);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_focusedByThisPress = false;
    bool m_keepSelectionOnPress = false;
    bool m_focusAway = false;
};

} // namespace toolkit
