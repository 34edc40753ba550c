#include "support/messageboxes.h"

#include <QApplication>
#include <QMessageBox>

MessageBoxCloser::MessageBoxCloser(const QWidget *window)
{
    connect(&m_timer, &QTimer::timeout, this, [this, window] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        texts += box->text();
        warningsOverWindow += box->icon() == QMessageBox::Warning && box->parentWidget() == window;
        box->accept();
    });
    m_timer.start(10);
}
