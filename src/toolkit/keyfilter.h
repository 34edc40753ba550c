#pragma once

#include <QObject>

namespace toolkit {

class TextBox;

// Event filter owned by its text box: turns key presses into character codes, hands them to the
// box's keyPress signal and applies the answer before the box sees the key.
class KeyFilter : public QObject
{
    Q_OBJECT
public:
    explicit KeyFilter(TextBox *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TextBox *m_box;
};

} // namespace toolkit
