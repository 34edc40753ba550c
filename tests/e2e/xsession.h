#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <QHash>

#include <functional>
#include <memory>
#include <optional>

// Sends SIGTERM, then SIGKILL to what is still alive after a grace period, and reaps it.
void stopProcess(QProcess *process);
// Asks again after each pause until the answer is yes or the time is up; the last answer.
bool pollUntil(const std::function<bool()> &done, int timeoutMs, int pauseMs = 100);

// A private X display for end-to-end tests: Xvfb with the openbox window manager on it, the
// program under test started as an ordinary X client, and the command-line X tools (xdotool,
// xwininfo, import) that drive and watch it. Every process started here dies with the object,
// and with the test process too should it crash or be killed.
class XSession
{
public:
    // The on-screen rectangle of a mapped top-level window, without its window-manager frame.
    struct Window
    {
        QString id;
        QRect geometry;
    };

    XSession();
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    // Starts Xvfb and openbox and waits until both serve; false with errorString() otherwise.
    bool start();
    QString errorString() const { return m_error; }
    // ":N", as chosen by Xvfb.
    QString display() const { return m_display; }

    // Runs an X client to its end on this display; its standard output when it exited with 0.
    std::optional<QByteArray> run(const QString &program, const QStringList &arguments,
                                  int timeoutMs = 10000);
    // Real input through the XTEST extension.
    bool xdotool(const QStringList &arguments);
    bool click(QPoint screenPosition);
    bool type(const QString &text);
    bool key(const QString &keys);

    // The whole screen as it is now; a null image when it could not be taken.
    QImage screenshot();
    // Takes screenshots until one satisfies the condition or the time is up; the last one.
    QImage waitForScreen(const std::function<bool(const QImage &)> &condition,
                         int timeoutMs = 5000);

    // Takes screenshots until the area looks the same in two in a row: drawing has settled.
    QImage waitForStill(const QRect &area, int timeoutMs = 5000);

    // Starts the program with this display, the xcb platform and a private runtime directory.
    // One program at a time; a running one is stopped first.
    bool startProgram(const QString &path, const QStringList &arguments = {});
    // Ends the program, politely first.
    void stopProgram();
    QProcess *program() const { return m_program.get(); }
    // Everything the program has written to its standard output and error so far.
    QByteArray programOutput() const;

    // The visible top-level window whose title matches the regular expression, waited for.
    std::optional<Window> findWindow(const QString &titlePattern, int timeoutMs = 10000);
    // Whether a window with that title is visible now.
    bool hasVisibleWindow(const QString &titlePattern);
    // Geometry and map state of a known window: nullopt when it is not viewable.
    std::optional<QRect> viewableGeometry(const QString &id);
    QString windowTitle(const QString &id);
    // Asks the window manager to raise and focus the window, and waits until it has.
    bool activate(const QString &id, int timeoutMs = 5000);

    // A client of this display, not yet started, that dies with the test process. It gets the
    // test process's environment as it is when this is called, with the display's own settings.
    std::unique_ptr<QProcess> spawn(const QString &program, const QStringList &arguments,
                                    int keepFd = -1);
    // Starts the clients that follow as this user, in that home with its own runtime and cache
    // folders (rt, cache), for programs that refuse root; an empty name starts them as the test.
    void runClientsAs(const QString &user, const QString &home);
    // Such a client started, its output and errors written to logPath; nothing when it did not
    // start, with the reason in *error.
    std::unique_ptr<QProcess> startLogged(const QString &program, const QStringList &arguments,
                                          const QString &logPath, QString *error);
    // Sets a variable for the clients started from now on; a null value takes it back.
    void setClientVariable(const QString &name, const QString &value);
    // A D-Bus session bus, dbus-daemon with these further arguments, for the clients started
    // from now on; nothing when it gave no address, with the reason in *error.
    std::unique_ptr<QProcess> startBus(const QStringList &arguments, QString *error);

private:
    QProcessEnvironment clientEnvironment() const;
    bool startServer();
    bool startWindowManager();

    QTemporaryDir m_runtimeDir;
    QString m_display;
    QString m_error;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_windowManager;
    std::unique_ptr<QProcess> m_program;
    QString m_user;
    QString m_userHome;
    QHash<QString, QString> m_clientVariables;
};
