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
// a time, and only what the answer leaves gets in. Text that an input method asks to delete goes
// as the Backspace and Delete keys it stands for would. A read-only box takes nothing from an
// input method.
class KeyFilter : public QObject
{
    Q_OBJECT
public:
    explicit KeyFilter(TextBox *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Characters of the box's text, from start.
    struct Span
    {
        int start;
        int length;
    };
    // A selection set aside while an input method composes over it, and text the input method
    // asked to delete (to compose it anew) that goes only if the composition leaves characters.
    struct HeldSelection
    {
        int start;
        int length;
        QString text;
        std::optional<Span> deletion;
    };

    bool filterKey(const QKeyEvent &event);
    void filterInputMethod(QInputMethodEvent &event);
    std::optional<Span> namedDeletion(const QInputMethodEvent &event) const;
    void deleteSpan(Span span);
    void clearComposition();
    void endComposition();

    TextBox *m_box;
    std::optional<HeldSelection> m_held;
    bool m_resending = false;
    bool m_composing = false;
};

} // namespace toolkit
