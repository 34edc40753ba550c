// A window in the top left corner of the screen that drags the files named on its command line
// when a button is pressed on it, as a file manager does, as addresses and as text: a drop on
// another program's window goes through the window system's drag-and-drop protocol.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const QString &path : QApplication::arguments().mid(1))
        urls << QUrl::fromLocalFile(path);
    QPushButton source;
    QObject::connect(&source, &QPushButton::pressed, [&] {
        auto *data = new QMimeData;
        data->setUrls(urls);
        data->setText(QUrl::toStringList(urls).join(u'\n'));
        auto *drag = new QDrag(&source);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
    });
    source.setWindowTitle(QStringLiteral("drag source"));
    source.setGeometry(0, 0, 100, 100);
    source.show();
    return QApplication::exec();
}
