#include "toolkit/combobox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>

namespace toolkit {

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would fill in the rest of a listed name while the user types, and the
    // switch button would then apply a name nobody typed.
    setCompleter(nullptr);
    setMaxVisibleItems(20);
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, [this] {
        if (!m_leaving)
            emit click();
    });
}

void ComboBox::addItem(const QString &text)
{
    // Qt makes the first entry of an empty box current and shows it in the edit field.
    const bool noEntry = currentIndex() < 0;
    const QString edited = currentText();
    QComboBox::addItem(text);
    if (noEntry && currentIndex() >= 0) {
        setCurrentIndex(-1);
        setEditText(edited);
    }
}

bool ComboBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QComboBox::eventFilter(watched, event);
}

// Leaving the edit field makes Qt look the typed text up in the list and report the entry it
// finds as activated; that is no choice of the user's, so it raises no click.
void ComboBox::focusOutEvent(QFocusEvent *event)
{
    m_leaving = true;
    QComboBox::focusOutEvent(event);
    m_leaving = false;
}

void ComboBox::showPopup()
{
    view()->setMinimumWidth(listWidth());
    QComboBox::showPopup();
}

// Wide enough for the widest entry and the scroll bar, and no wider than the screen with the
// popup's frame.
int ComboBox::listWidth() const
{
    QAbstractItemView *list = view();
    int widest = list->sizeHintForColumn(modelColumn());
    if (count() > maxVisibleItems())
        widest += list->verticalScrollBar()->sizeHint().width();
    widest += 2 * list->frameWidth();
    const QWidget *popup = list->parentWidget();
    int chrome = popup->contentsMargins().left() + popup->contentsMargins().right();
    if (const QLayout *layout = popup->layout())
        chrome += layout->contentsMargins().left() + layout->contentsMargins().right();
    if (const QScreen *screen = this->screen())
        widest = qMin(widest, screen->availableGeometry().width() - chrome);
    return widest;
}

} // namespace toolkit
