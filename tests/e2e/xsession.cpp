#include "e2e/xsession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <utility>

namespace {

constexpr int serverStartMs = 15000;
constexpr int windowManagerStartMs = 15000;
constexpr int busStartMs = 10000;
constexpr int stopGraceMs = 3000;

// Reads the line that Xvfb writes to its -displayfd once it accepts connections.
std::optional<int> readDisplayNumber(int fd, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    QByteArray line;
    while (!line.contains('\n')) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            return std::nullopt;
        pollfd request{fd, POLLIN, 0};
        const int ready = ::poll(&request, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char buffer[32];
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count <= 0)
            return std::nullopt;
        line.append(buffer, count);
    }
    bool isNumber = false;
    const int number = line.trimmed().toInt(&isNumber);
    return isNumber ? std::optional(number) : std::nullopt;
}

std::optional<int> fieldOf(const QString &text, const QString &name)
{
    const QRegularExpression field(
        QStringLiteral("^\\s*%1:\\s*(-?\\d+)").arg(QRegularExpression::escape(name)),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = field.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

} // namespace

XSession::XSession() = default;

XSession::~XSession()
{
    stopProgram();
    stopProcess(m_windowManager.get());
    stopProcess(m_server.get());
}

// Every child gets SIGKILL when the test process dies, so a crashed or killed test leaves no
// X server behind. The check of the parent closes the window between fork and prctl.
std::unique_ptr<QProcess> XSession::spawn(const QString &program, const QStringList &arguments,
                                          int keepFd)
{
    auto process = std::make_unique<QProcess>();
    const pid_t parent = ::getpid();
    process->setChildProcessModifier([parent, keepFd] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        if (keepFd >= 0)
            ::fcntl(keepFd, F_SETFD, 0);
    });
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessEnvironment(clientEnvironment());
    if (!m_user.isEmpty()) {
        process->setProgram(QStringLiteral("runuser"));
        process->setArguments(
            QStringList{QStringLiteral("-u"), m_user, QStringLiteral("--"), QStringLiteral("env"),
                        QStringLiteral("HOME=") + m_userHome,
                        QStringLiteral("XDG_RUNTIME_DIR=%1/rt").arg(m_userHome),
                        QStringLiteral("XDG_CACHE_HOME=%1/cache").arg(m_userHome), program} +
            arguments);
    }
    return process;
}

void XSession::runClientsAs(const QString &user, const QString &home)
{
    m_user = user;
    m_userHome = home;
}

QProcessEnvironment XSession::clientEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER", "QT_QPA_PLATFORM",
                             "QT_QPA_PLATFORMTHEME", "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                             "QT_AUTO_SCREEN_SCALE_FACTOR", "QT_FONT_DPI"})
        environment.remove(QString::fromLatin1(name));
    if (!m_display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    if (!environment.contains(QStringLiteral("XDG_CACHE_HOME")))
        environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                           m_runtimeDir.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (auto variable = m_clientVariables.cbegin(); variable != m_clientVariables.cend();
         ++variable)
        environment.insert(variable.key(), variable.value());
    return environment;
}

void XSession::setClientVariable(const QString &name, const QString &value)
{
    if (value.isNull())
        m_clientVariables.remove(name);
    else
        m_clientVariables.insert(name, value);
}

std::unique_ptr<QProcess> XSession::startBus(const QStringList &arguments, QString *error)
{
    std::unique_ptr<QProcess> bus = spawn(
        QStringLiteral("dbus-daemon"),
        QStringList{QStringLiteral("--nofork"), QStringLiteral("--print-address=1")} + arguments);
    bus->start();
    const QByteArray address =
        bus->waitForReadyRead(busStartMs) ? bus->readLine().trimmed() : QByteArray();
    if (address.isEmpty()) {
        *error = QStringLiteral("dbus-daemon gave no address: ") +
                 QString::fromLocal8Bit(bus->readAllStandardError());
        return nullptr;
    }
    setClientVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLatin1(address));
    return bus;
}

bool XSession::start()
{
    if (!m_runtimeDir.isValid()) {
        m_error = QStringLiteral("no private runtime directory: ") + m_runtimeDir.errorString();
        return false;
    }
    return startServer() && startWindowManager();
}

bool XSession::startServer()
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        m_error = QStringLiteral("no pipe for Xvfb's display number");
        return false;
    }
    m_server =
        spawn(QStringLiteral("Xvfb"),
              {QStringLiteral("-displayfd"), QString::number(pipeFds[1]), QStringLiteral("-screen"),
               QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
               QStringLiteral("tcp"), QStringLiteral("-noreset")},
              pipeFds[1]);
    m_server->setProcessChannelMode(QProcess::MergedChannels);
    m_server->setStandardOutputFile(m_runtimeDir.filePath(QStringLiteral("xvfb.log")));
    m_server->start();
    ::close(pipeFds[1]);
    const bool started = m_server->waitForStarted();
    const std::optional<int> number =
        started ? readDisplayNumber(pipeFds[0], serverStartMs) : std::nullopt;
    ::close(pipeFds[0]);
    if (!number) {
        m_error = QStringLiteral("Xvfb did not come up: ") + m_server->errorString();
        return false;
    }
    m_display = QStringLiteral(":%1").arg(*number);
    return true;
}

std::unique_ptr<QProcess> XSession::startLogged(const QString &program,
                                                const QStringList &arguments,
                                                const QString &logPath, QString *error)
{
    std::unique_ptr<QProcess> process = spawn(program, arguments);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(logPath);
    process->start();
    if (!process->waitForStarted()) {
        *error = program + QStringLiteral(" did not start: ") + process->errorString();
        return nullptr;
    }
    return process;
}

// Openbox announces itself on the root window once it manages the screen.
bool XSession::startWindowManager()
{
    m_windowManager = startLogged(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")},
                                  m_runtimeDir.filePath(QStringLiteral("openbox.log")), &m_error);
    if (!m_windowManager)
        return false;
    const auto managing = [this] {
        const std::optional<QByteArray> check =
            run(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        return check && check->contains("window id");
    };
    if (pollUntil(managing, windowManagerStartMs))
        return true;
    m_error = QStringLiteral("openbox did not take over the screen");
    return false;
}

std::optional<QByteArray> XSession::run(const QString &program, const QStringList &arguments,
                                        int timeoutMs)
{
    const std::unique_ptr<QProcess> process = spawn(program, arguments);
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForFinished(timeoutMs)) {
        stopProcess(process.get());
        return std::nullopt;
    }
    if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0)
        return std::nullopt;
    return process->readAllStandardOutput();
}

bool XSession::xdotool(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments).has_value();
}

bool XSession::click(QPoint screenPosition)
{
    return xdotool({QStringLiteral("mousemove"), QString::number(screenPosition.x()),
                    QString::number(screenPosition.y()), QStringLiteral("click"),
                    QStringLiteral("1")});
}

bool XSession::type(const QString &text)
{
    return xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"),
                    QStringLiteral("--"), text});
}

bool XSession::key(const QString &keys)
{
    return xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40"),
                    QStringLiteral("--"), keys});
}

QByteArray XSession::programOutput() const
{
    QFile log(m_runtimeDir.filePath(QStringLiteral("program.log")));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

QImage XSession::screenshot()
{
    const std::optional<QByteArray> png =
        run(QStringLiteral("import"),
            {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
    if (!png)
        return {};
    return QImage::fromData(*png, "PNG").convertToFormat(QImage::Format_RGB32);
}

QImage XSession::waitForScreen(const std::function<bool(const QImage &)> &condition, int timeoutMs)
{
    QImage shot;
    pollUntil([&] { return !(shot = screenshot()).isNull() && condition(shot); }, timeoutMs);
    return shot;
}

QImage XSession::waitForStill(const QRect &area, int timeoutMs)
{
    QImage previous = screenshot();
    return waitForScreen(
        [&previous, &area](const QImage &shot) {
            const bool still = !previous.isNull() && previous.copy(area) == shot.copy(area);
            previous = shot;
            return still;
        },
        timeoutMs);
}

bool XSession::startProgram(const QString &path, const QStringList &arguments)
{
    stopProgram();
    m_program = spawn(path, arguments);
    m_program->setProcessChannelMode(QProcess::MergedChannels);
    m_program->setStandardOutputFile(m_runtimeDir.filePath(QStringLiteral("program.log")));
    m_program->start();
    if (!m_program->waitForStarted()) {
        m_error = path + QStringLiteral(" did not start: ") + m_program->errorString();
        return false;
    }
    return true;
}

void XSession::stopProgram()
{
    stopProcess(m_program.get());
    m_program.reset();
}

std::optional<XSession::Window> XSession::findWindow(const QString &titlePattern, int timeoutMs)
{
    std::optional<Window> previous;
    std::optional<Window> found;
    // The window manager reparents and places a new window after it is mapped: only a
    // geometry that reads the same twice in a row is taken.
    const auto settled = [&] {
        previous = std::exchange(found, std::nullopt);
        const std::optional<QByteArray> ids = run(
            QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), titlePattern});
        for (const QByteArray &id : ids.value_or(QByteArray()).split('\n')) {
            const QString windowId = QString::fromLatin1(id.trimmed());
            const std::optional<QRect> geometry =
                windowId.isEmpty() ? std::nullopt : viewableGeometry(windowId);
            if (geometry) {
                found = Window{windowId, *geometry};
                break;
            }
        }
        return found && previous && found->id == previous->id &&
               found->geometry == previous->geometry;
    };
    if (pollUntil(settled, timeoutMs))
        return found;
    m_error = QStringLiteral("no stable visible window titled /%1/ appeared").arg(titlePattern);
    return std::nullopt;
}

bool XSession::hasVisibleWindow(const QString &titlePattern)
{
    const std::optional<QByteArray> ids =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), titlePattern});
    return ids && !ids->trimmed().isEmpty();
}

// xwininfo's absolute position is that of the client window inside the frame, which is what
// the clicks need; xdotool's own geometry adds the frame once more under some window managers.
std::optional<QRect> XSession::viewableGeometry(const QString &id)
{
    const std::optional<QByteArray> info =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    if (!info)
        return std::nullopt;
    const QString text = QString::fromUtf8(*info);
    if (!text.contains(QStringLiteral("Map State: IsViewable")))
        return std::nullopt;
    const std::optional<int> x = fieldOf(text, QStringLiteral("Absolute upper-left X"));
    const std::optional<int> y = fieldOf(text, QStringLiteral("Absolute upper-left Y"));
    const std::optional<int> width = fieldOf(text, QStringLiteral("Width"));
    const std::optional<int> height = fieldOf(text, QStringLiteral("Height"));
    if (!x || !y || !width || !height)
        return std::nullopt;
    return QRect(*x, *y, *width, *height);
}

QString XSession::windowTitle(const QString &id)
{
    const std::optional<QByteArray> name =
        run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id});
    return name ? QString::fromUtf8(name->trimmed()) : QString();
}

bool XSession::activate(const QString &id, int timeoutMs)
{
    const auto active = [&] {
        const std::optional<QByteArray> window =
            run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
        return window && QString::fromLatin1(window->trimmed()) == id;
    };
    return xdotool({QStringLiteral("windowactivate"), id}) && pollUntil(active, timeoutMs);
}

// Sends SIGTERM, then SIGKILL to what is still alive after a grace period, and reaps it.
void stopProcess(QProcess *process)
{
    if (!process || process->state() == QProcess::NotRunning)
        return;
    process->terminate();
    if (process->waitForFinished(stopGraceMs))
        return;
    process->kill();
    process->waitForFinished(stopGraceMs);
}

bool pollUntil(const std::function<bool()> &done, int timeoutMs, int pauseMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(pauseMs);
    }
    return true;
}
