// The least a start-up like the program's can cost: a Qt Widgets application that shows a window
// of the given size titled "Typorama" with one Japanese caption in IPAPGothic 9 pt, then runs its
// event loop. Measuring the caption makes Qt 6.4 load its database of every installed font, as
// it does for any window that draws text, so this floor grows with the number of fonts too.
// With "empty", the window has no caption and no text at all, and Qt loads no font database.
//
//   startup_floor WIDTH HEIGHT [empty]

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int width = arguments.size() > 2 ? arguments.at(1).toInt() : 433;
    const int height = arguments.size() > 2 ? arguments.at(2).toInt() : 342;
    QWidget window;
    window.setFixedSize(width, height);
    window.setWindowTitle(QStringLiteral("Typorama"));
    if (arguments.size() < 4 || arguments.at(3) != QLatin1String("empty")) {
        QFont font(QStringLiteral("IPAPGothic"));
        font.setPointSizeF(9);
        auto *caption = new QLabel(QStringLiteral("フォント読み込み中..."), &window);
        caption->setFont(font);
        caption->move(8, 8);
    }
    window.show();
    return QApplication::exec();
}
