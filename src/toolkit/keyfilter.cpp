#include "toolkit/keyfilter.h"

#include "toolkit/charcode.h"
#include "toolkit/textbox.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>

namespace toolkit {

namespace {

constexpr int backspaceCode = 8;

bool isPrintable(int code)
{
    return code >= 0x20 && code != 0x7f && code <= 0x10ffff && !(code >= 0xd800 && code <= 0xdfff);
}

QString characterOf(int code)
{
    const char32_t c = static_cast<char32_t>(code);
    return QString::fromUcs4(&c, 1);
}

bool hasCommandModifier(const QKeyEvent &event)
{
    return event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

// A key that the line edit itself turns into exactly this character or a backspace.
bool typesPlainly(const QKeyEvent &event, int code)
{
    if (hasCommandModifier(event))
        return false;
    if (code == backspaceCode)
        return event.key() == Qt::Key_Backspace;
    return event.text() == characterOf(code);
}

} // namespace

KeyFilter::KeyFilter(TextBox *box) : QObject(box), m_box(box)
{
    box->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box || m_resending)
        return false;
    if (event->type() == QEvent::KeyPress)
        return filterKey(*static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::InputMethod) {
        // A read-only box takes no input-method text: no composition, commit or deletion.
        if (m_box->isReadOnly())
            return true;
        filterInputMethod(*static_cast<QInputMethodEvent *>(event));
    }
    return false;
}

bool KeyFilter::filterKey(const QKeyEvent &event)
{
    const std::optional<int> typed = charCode(event);
    if (!typed) {
        // Alt+letter or Ctrl with a keypad key carry the key's character, yet type none; the
        // line edit would insert it. Keys without a character (arrows, Delete) edit as usual.
        return !event.text().isEmpty() && isPrintable(event.text().at(0).unicode());
    }
    int code = *typed;
    emit m_box->keyPress(code);
    if (code == 0)
        return true;
    if (code == *typed && typesPlainly(event, code))
        return false;
    if (m_box->isReadOnly())
        return isPrintable(code) || code == backspaceCode || code != *typed;
    // Ctrl+H is a backspace, and a replaced code types its replacement.
    if (code == backspaceCode) {
        m_box->backspace();
        return true;
    }
    if (isPrintable(code)) {
        m_box->insert(characterOf(code));
        return true;
    }
    // Control codes left as they came keep their editing meaning (Enter, Ctrl+A, Ctrl+Z).
    return code != *typed;
}

// The commit string goes through the filter character by character, and the box itself types
// what it keeps; the line edit is left only the composition to show, so nothing it does with a
// commit, a replacement range or a selection can change the text past the filter. Starting a
// composition over a selection would delete the selected text before the filter has seen
// anything, so the selection is set aside while the composition lasts; a commit that keeps
// characters replaces it, as typing would, and one that keeps none leaves it as it was. Text
// the input method takes back to compose anew (reconversion) is likewise deleted only when the
// composition ends with characters kept.
void KeyFilter::filterInputMethod(QInputMethodEvent &event)
{
    const bool composing = !event.preeditString().isEmpty();
    QString kept;
    int backspaces = 0;
    const QList<uint> commit = event.commitString().toUcs4();
    for (const uint character : commit) {
        int code = static_cast<int>(character);
        emit m_box->keyPress(code);
        if (code == backspaceCode) {
            if (kept.isEmpty())
                ++backspaces;
            else
                kept.chop(kept.back().isLowSurrogate() && kept.size() > 1 ? 2 : 1);
        } else if (isPrintable(code)) {
            kept += characterOf(code);
        }
    }
    const std::optional<Span> deletion = namedDeletion(event);
    std::optional<Span> heldDeletion;
    if (m_held && (!composing || !kept.isEmpty())) {
        if (m_box->text() == m_held->text)
            heldDeletion = m_held->deletion;
        endComposition();
    }
    if (composing && kept.isEmpty() && backspaces == 0) {
        if (!m_held && (m_box->hasSelectedText() || deletion)) {
            m_held = HeldSelection{m_box->selStart(), m_box->selLength(), m_box->text(), {}};
            m_box->setCursorPosition(m_held->start);
        }
        if (m_held && deletion)
            m_held->deletion = deletion;
    } else if (!kept.isEmpty() || deletion || backspaces > 0) {
        // Edits under a composition on show would make the line edit commit it first.
        clearComposition();
        if (heldDeletion && !kept.isEmpty())
            deleteSpan(*heldDeletion);
        if (deletion)
            deleteSpan(*deletion);
        for (; backspaces > 0; --backspaces)
            m_box->backspace();
        if (!kept.isEmpty())
            m_box->insert(kept);
    }
    event.setCommitString(QString());
    m_composing = composing;
}

// The text the event names for deletion, counted from the caret, cut to the text there is.
std::optional<KeyFilter::Span> KeyFilter::namedDeletion(const QInputMethodEvent &event) const
{
    if (event.replacementLength() <= 0)
        return std::nullopt;
    const qint64 from = qint64(m_box->cursorPosition()) + event.replacementStart();
    const qint64 start = std::max<qint64>(from, 0);
    const qint64 end = std::min<qint64>(from + event.replacementLength(), m_box->text().size());
    if (end <= start)
        return std::nullopt;
    return Span{int(start), int(end - start)};
}

// The part before the caret goes as that many Backspace keys, each a code for the filter; the
// part after it as Delete keys, which have none. Only the named characters go, never a
// selection around them.
void KeyFilter::deleteSpan(Span span)
{
    const int caret = m_box->cursorPosition();
    const int beforeEnd = std::clamp(caret, span.start, span.start + span.length);
    int allowed = 0;
    for (int i = span.start; i < beforeEnd; ++i) {
        int code = backspaceCode;
        emit m_box->keyPress(code);
        if (code == backspaceCode)
            ++allowed;
    }
    if (const int after = span.start + span.length - beforeEnd; after > 0) {
        m_box->setSelection(beforeEnd, after);
        m_box->del();
    }
    if (allowed > 0) {
        m_box->setSelection(beforeEnd - allowed, allowed);
        m_box->del();
    }
}

// Takes the composition on show away from the line edit.
void KeyFilter::clearComposition()
{
    if (!m_composing)
        return;
    QInputMethodEvent clear;
    m_resending = true;
    QCoreApplication::sendEvent(m_box, &clear);
    m_resending = false;
    m_composing = false;
}

// Takes the unfinished composition away and gives the held selection back, if the text is
// still the one it was taken from.
void KeyFilter::endComposition()
{
    clearComposition();
    if (m_box->text() == m_held->text)
        m_box->setSelection(m_held->start, m_held->length);
    m_held.reset();
}

} // namespace toolkit
