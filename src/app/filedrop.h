#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

class QWidget;

// Takes files dropped on a window: on the window itself and on every box in it, which would
// otherwise take a file's address as typed text. Drops of text go on to the boxes as before.
// Files are taken only while the window is enabled and no other window is modal over it.
class FileDropFilter : public QObject
{
    Q_OBJECT
public:
    // Watches the window and its children as they are now.
    explicit FileDropFilter(QWidget *window);

signals:
    // The dropped files' names as the system spells them, raised once the drop has ended.
    void dropped(const QList<QByteArray> &fileNames);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
};
