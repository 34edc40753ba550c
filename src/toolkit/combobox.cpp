#include "toolkit/combobox.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace toolkit {

ComboBox::ComboBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
    lineEdit()->installEventFilter(this);
    connect(this, &QComboBox::activated, this, &ComboBox::click);
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

} // namespace toolkit
