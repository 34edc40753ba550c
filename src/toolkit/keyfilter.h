#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QInputMethodEvent;
class QKeyEvent;

namespace toolkit {

class TextBox;

// Event filter owned by its text box: every character that would enter the box, from a key
// press or from an input method's commit, goes to the box's keyPress signal first, one code at
// a time, and only what the answer leaves gets in.
class KeyFilter : public QObject
{
    Q_OBJECT
public:
    explicit KeyFilter(TextBox *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A selection set aside while an input method composes over it.
    struct HeldSelection
    {
        int start;
        int length;
        QString text;
    };

    bool filterKey(const QKeyEvent &event);
    void filterInputMethod(QInputMethodEvent &event);
    void endComposition();

    TextBox *m_box;
    std::optional<HeldSelection> m_held;
    bool m_resending = false;
};

} // namespace toolkit
