#include "app/program.h"
#include "fonts/fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QSocketNotifier>
#include <QWindow>

#include <cstdio>
#include <unistd.h>

namespace {

// Handles events for a while, as the program does between a user's actions.
void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// "max" and "normal" set the active window's state as a title bar's maximise button does,
// then answer with the window's size and its client area's; "close" closes it as its close
// button does.
void obey(const QByteArray &command)
{
    QWidget *window = QApplication::activeWindow();
    if (!window)
        return;
    if (command == "close") {
        window->close();
        return;
    }
    window->windowHandle()->setWindowStates(command == "max" ? Qt::WindowMaximized
                                                             : Qt::WindowNoState);
    settle(1500);
    const auto *main = qobject_cast<QMainWindow *>(window);
    const QWidget *client = main ? main->centralWidget() : window;
    std::printf("%d %d %d %d\n", window->width(), window->height(), client->contentsRect().width(),
                client->contentsRect().height());
    std::fflush(stdout);
}

} // namespace

// The program itself, with a line of standard input for each request of the test that a user
// would make on the title bar, where the test cannot click.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    readyApplication();
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [] {
        char line[64];
        const ssize_t count = ::read(STDIN_FILENO, line, sizeof line);
        if (count > 0)
            obey(QByteArray(line, static_cast<int>(count)).trimmed());
    });
    const fonts::SystemFonts fonts;
    return runProgram(fonts);
}
