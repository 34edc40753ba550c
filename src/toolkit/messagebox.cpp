#include "toolkit/messagebox.h"

#include "toolkit/ownframe.h"

#include <QEvent>
#include <QMessageBox>

namespace toolkit {

namespace {

// A message box fixes its size whenever it lays itself out; on a frame of its own that size is
// made the least, as for the program's windows.
class WarningBox : public QMessageBox
{
public:
    WarningBox(QWidget *owner, const QString &title, const QString &text)
        : QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, owner)
    {
        useOwnFrame(this);
    }

protected:
    bool event(QEvent *event) override
    {
        const bool handled = QMessageBox::event(event);
        if (drawsOwnFrame() && minimumSize() == maximumSize() && !minimumSize().isEmpty())
            fixWindowSize(this, minimumSize());
        return handled;
    }
};

} // namespace

void warningBox(QWidget *owner, const QString &title, const QString &text)
{
    WarningBox box(owner, title, text);
    box.exec();
}

} // namespace toolkit
