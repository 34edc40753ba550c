#include "toolkit/combobox.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace toolkit {

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would fill in the rest of a listed name while the user types, and the
    // switch button would then apply a name nobody typed.
    setCompleter(nullptr);
    setMaxVisibleItems(20);
    // Every entry is one line of the same font: the list lays out thousands of rows by the
    // first one's height instead of measuring each.
    if (auto *list = qobject_cast<QListView *>(view()))
        list->setUniformItemSizes(true);
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, [this] {
        if (!m_leaving)
            emit click();
    });
}

void ComboBox::addItem(const QString &text)
{
    insertItem(count(), text);
}

void ComboBox::insertItem(int index, const QString &text)
{
    // Qt makes the first entry of an empty box current and shows it in the edit field.
    const bool noEntry = currentIndex() < 0;
    const QString edited = currentText();
    m_listWidth = -1;
    QComboBox::insertItem(index, text);
    if (noEntry && currentIndex() >= 0) {
        setCurrentIndex(-1);
        setEditText(edited);
    }
}

void ComboBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_listWidth = -1;
    QComboBox::changeEvent(event);
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
    if (m_listWidth < 0)
        m_listWidth = listWidth();
    view()->setMinimumWidth(m_listWidth);
    QComboBox::showPopup();
}

// The width the list draws its widest entry in. Laying out every entry as the list draws it
// takes a third of a second with 20,000 names, so each entry is first reckoned as the sum of
// its characters' advances, kept per character, and entries are laid out from the largest sum
// down, until no sum left exceeds the widest laid out: kerning, ligatures, joined letters and
// marks make a laid-out text narrower than its sum, not wider.
int ComboBox::widestEntry() const
{
    QAbstractItemView *list = view();
    const QFontMetricsF metrics(list->font());
    QHash<char32_t, qreal> advances;
    std::vector<std::pair<qreal, int>> reckoned;
    reckoned.reserve(static_cast<std::size_t>(count()));
    for (int row = 0; row < count(); ++row) {
        const QString text = itemText(row);
        qreal sum = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            char32_t point = text.at(i).unicode();
            if (text.at(i).isHighSurrogate() && i + 1 < text.size() &&
                text.at(i + 1).isLowSurrogate()) {
                point = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
                ++i;
            }
            auto advance = advances.find(point);
            if (advance == advances.end())
                advance =
                    advances.insert(point, metrics.horizontalAdvance(QString::fromUcs4(&point, 1)));
            sum += *advance;
        }
        reckoned.emplace_back(sum, row);
    }
    std::sort(reckoned.begin(), reckoned.end(), std::greater<>());
    qreal widestText = -1;
    int widest = 0;
    for (const auto &[sum, row] : reckoned) {
        if (sum <= widestText)
            break;
        const QModelIndex index = model()->index(row, modelColumn(), rootModelIndex());
        widestText = qMax(widestText, metrics.horizontalAdvance(itemText(row)));
        widest = qMax(widest, list->sizeHintForIndex(index).width());
    }
    return widest;
}

// Wide enough for the widest entry and the scroll bar, and no wider than the screen with the
// popup's frame.
int ComboBox::listWidth() const
{
    QAbstractItemView *list = view();
    int widest = widestEntry();
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
