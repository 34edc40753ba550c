#include "app/filedrop.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// The local files among the dropped addresses, as the bytes of their names: an address names a
// file by percent-encoded bytes, which need not be text in any encoding.
QList<QByteArray> localFiles(const QMimeData *data)
{
    QList<QByteArray> names;
    if (!data || !data->hasUrls())
        return names;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile())
            names << QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    }
    return names;
}

} // namespace

FileDropFilter::FileDropFilter(QWidget *window) : QObject(window), m_window(window)
{
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (child->acceptDrops())
            child->installEventFilter(this);
    }
}

bool FileDropFilter::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    auto *drop = static_cast<QDropEvent *>(event);
    const QList<QByteArray> names = localFiles(drop->mimeData());
    if (names.isEmpty())
        return QObject::eventFilter(watched, event);
    const QWidget *modal = QApplication::activeModalWidget();
    if (!m_window->isEnabled() || (modal && modal != m_window)) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    // The source of the drag waits until the drop is handled; the files are read after, when a
    // message about one of them no longer holds the file manager up.
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(
            this, [this, names] { emit dropped(names); }, Qt::QueuedConnection);
    return true;
}
