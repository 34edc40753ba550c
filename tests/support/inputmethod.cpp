#include "support/inputmethod.h"

#include "support/xsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace {

constexpr int busStartMs = 10000;
constexpr int engineStartMs = 60000;
constexpr int pollIntervalMs = 300;

// A session bus that starts no services on demand: nothing of the desktop (the accessibility
// bus, dconf) comes up behind the test's back and outlives it.
constexpr char busConfig[] =
    R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// Fcitx5 with Mozc as the input method that Ctrl+Space switches on.
constexpr char fcitxProfile[] = R"([Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
)";
// No pop-up naming the input method at each switch, over the text it would hide.
constexpr char fcitxConfig[] =
    "[Behavior]\nShowInputMethodInformation=False\nShowFirstInputMethodInformation=False\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

} // namespace

InputMethodSession::InputMethodSession(XSession &session, Engine engine)
    : m_session(session), m_engine(engine)
{
}

InputMethodSession::~InputMethodSession()
{
    if (m_daemon && m_engine != Engine::FcitxMozc)
        m_session.run(QStringLiteral("ibus"), {QStringLiteral("exit")}, 5000);
    stopProcess(m_daemon.get());
    stopProcess(m_bus.get());
    removeUser();
    for (const auto &[name, value] : m_savedEnvironment) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

std::optional<QString> InputMethodSession::missingPrerequisite(Engine engine)
{
    const bool fcitx = engine == Engine::FcitxMozc;
    QList<std::pair<const char *, const char *>> programs = {{"dbus-daemon", "dbus"}};
    if (fcitx)
        programs += {{"fcitx5", "fcitx5"}, {"fcitx5-remote", "fcitx5"}};
    else
        programs += {{"ibus-daemon", "ibus"}, {"ibus", "ibus"}};
    if (engine != Engine::Anthy && ::geteuid() == 0)
        programs +=
            {{"runuser", "util-linux"}, {"useradd", "passwd"}, {"xhost", "x11-xserver-utils"}};
    for (const auto &[program, package] : programs) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QStringLiteral("no %1 on PATH (Debian package %2)").arg(program, package);
    }
    const std::pair<const char *, const char *> engineFiles[] = {
        {"/usr/share/ibus/component/anthy.xml", "ibus-anthy"},
        {"/usr/share/ibus/component/mozc.xml", "ibus-mozc"},
        {"/usr/share/fcitx5/addon/mozc.conf", "fcitx5-mozc"}};
    const auto [file, package] = engineFiles[int(engine)];
    if (!QFile::exists(QString::fromLatin1(file)))
        return QStringLiteral("no %1 (Debian package %2)").arg(file, package);
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           (fcitx ? QStringLiteral("/platforminputcontexts/"
                                                   "libfcitx5platforminputcontextplugin.so")
                                  : QStringLiteral("/platforminputcontexts/"
                                                   "libibusplatforminputcontextplugin.so"));
    if (!QFile::exists(plugin))
        return QStringLiteral("no Qt input context at ") + plugin;
    return std::nullopt;
}

void InputMethodSession::setEnvironment(const char *name, const QByteArray &value)
{
    m_savedEnvironment.append({QByteArray(name), qEnvironmentVariableIsSet(name)
                                                     ? std::optional(qgetenv(name))
                                                     : std::nullopt});
    qputenv(name, value);
}

bool InputMethodSession::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no private directory: ") + m_dir.errorString();
        return false;
    }
    const bool fcitx = m_engine == Engine::FcitxMozc;
    if (fcitx &&
        (!writeFile(m_dir.filePath(QStringLiteral("config/fcitx5/profile")), fcitxProfile) ||
         !writeFile(m_dir.filePath(QStringLiteral("config/fcitx5/config")), fcitxConfig))) {
        m_error = QStringLiteral("cannot write the Fcitx5 settings");
        return false;
    }
    if (m_engine != Engine::Anthy && ::geteuid() == 0 && !makeUser())
        return false;
    if (!startBus())
        return false;
    // The Anthy engine is a script for the system's python, whose gi module it needs.
    setEnvironment("PATH", "/usr/bin:/bin:" + qgetenv("PATH"));
    setEnvironment("IBUS_ADDRESS_FILE", QFile::encodeName(m_dir.filePath(QStringLiteral("ibus"))));
    setEnvironment("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
    setEnvironment("NO_AT_BRIDGE", "1");
    setEnvironment("GSETTINGS_BACKEND", "memory");
    setEnvironment("QT_IM_MODULE", fcitx ? "fcitx" : "ibus");
    setEnvironment("XMODIFIERS", fcitx ? "@im=fcitx" : "@im=ibus");
    return fcitx ? startFcitx() : startEngine();
}

// Mozc serves no root: the bus, the daemons and the program run as a user made for this
// session, whose home is the session's folder, allowed on the display.
bool InputMethodSession::makeUser()
{
    const QString user = QStringLiteral("typoim%1").arg(QCoreApplication::applicationPid());
    const QDir home(m_dir.path());
    // Mozc keeps its settings under the configuration folder and starts no server without it.
    if (!home.mkpath(QStringLiteral("rt")) || !home.mkpath(QStringLiteral("cache")) ||
        !home.mkpath(QStringLiteral("config")) ||
        QProcess::execute(QStringLiteral("useradd"),
                          {QStringLiteral("-M"), QStringLiteral("-d"), home.path(),
                           QStringLiteral("-s"), QStringLiteral("/bin/sh"), user}) != 0) {
        m_error = QStringLiteral("cannot make the user ") + user;
        return false;
    }
    m_user = user;
    if (QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), user, home.path()}) !=
            0 ||
        !m_session.run(QStringLiteral("xhost"), {QStringLiteral("+si:localuser:") + user})) {
        m_error = QStringLiteral("cannot give the user %1 its home or the display").arg(user);
        return false;
    }
    m_session.runClientsAs(user, home.path());
    return true;
}

// Ends what the user's session left running (the Mozc server), by process id, and the user.
void InputMethodSession::removeUser()
{
    if (m_user.isEmpty())
        return;
    m_session.runClientsAs(QString(), QString());
    QElapsedTimer timer;
    timer.start();
    do {
        QProcess ps;
        ps.start(QStringLiteral("ps"),
                 {QStringLiteral("-u"), m_user, QStringLiteral("-o"), QStringLiteral("pid=")});
        ps.waitForFinished(5000);
        for (const QByteArray &pid : ps.readAllStandardOutput().split('\n')) {
            if (const int id = pid.trimmed().toInt(); id > 0)
                ::kill(id, SIGKILL);
        }
        QThread::msleep(pollIntervalMs);
    } while (QProcess::execute(QStringLiteral("userdel"), {m_user}) != 0 &&
             timer.elapsed() < 10000);
    m_user.clear();
}

bool InputMethodSession::startBus()
{
    const QString configPath = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(QString::fromLatin1(busConfig).arg(m_dir.path()).toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write ") + configPath;
        return false;
    }
    config.close();
    m_bus = m_session.spawn(QStringLiteral("dbus-daemon"),
                            {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                             QStringLiteral("--config-file=") + configPath});
    m_bus->start();
    QElapsedTimer timer;
    timer.start();
    while (!m_bus->canReadLine() && timer.elapsed() < busStartMs &&
           m_bus->state() != QProcess::NotRunning)
        m_bus->waitForReadyRead(pollIntervalMs);
    const QByteArray address = m_bus->readLine().trimmed();
    if (address.isEmpty()) {
        m_error = QStringLiteral("dbus-daemon gave no address: ") +
                  QString::fromLocal8Bit(m_bus->readAllStandardError());
        return false;
    }
    setEnvironment("DBUS_SESSION_BUS_ADDRESS", address);
    return true;
}

// Fcitx5 switches on per program, by its key.
bool InputMethodSession::switchOn(bool on)
{
    if (m_engine == Engine::FcitxMozc)
        return m_daemon->state() == QProcess::Running;
    return useEngine(on ? engineName() : QByteArray("xkb:us::eng"), 20000);
}

// Mozc's Hiragana key switches it on whatever its state; the others toggle.
QString InputMethodSession::onKey() const
{
    return m_engine == Engine::IbusMozc ? QStringLiteral("Hiragana") : offKey();
}

QString InputMethodSession::offKey() const
{
    const char *keys[] = {"ctrl+j", "Zenkaku_Hankaku", "ctrl+space"};
    return QString::fromLatin1(keys[int(m_engine)]);
}

QString InputMethodSession::reconvertKey() const
{
    return m_engine == Engine::Anthy ? QStringLiteral("shift+Henkan") : QStringLiteral("Henkan");
}

QByteArray InputMethodSession::engineName() const
{
    return m_engine == Engine::Anthy ? QByteArray("anthy") : QByteArray("mozc-jp");
}

bool InputMethodSession::useEngine(const QByteArray &name, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && m_daemon->state() == QProcess::Running) {
        // Its exit status says nothing: it fails on success too. The engine in force does.
        m_session.run(QStringLiteral("ibus"), {QStringLiteral("engine"), QString::fromLatin1(name)},
                      30000);
        const std::optional<QByteArray> engine =
            m_session.run(QStringLiteral("ibus"), {QStringLiteral("engine")}, 5000);
        if (engine && engine->trimmed() == name)
            return true;
        QThread::msleep(pollIntervalMs);
    }
    return false;
}

// The engine's first start compiles its scripts and loads the dictionary, which can take longer
// than the daemon waits for it on a busy machine: asked again until it is in force.
bool InputMethodSession::startEngine()
{
    // Only the engine runs, no panel, settings or emoji programs. The engine list is read
    // afresh: a system cache written while the engine could not start lists no Anthy.
    m_daemon = m_session.startLogged(
        QStringLiteral("ibus-daemon"),
        {QStringLiteral("--panel=disable"), QStringLiteral("--config=disable"),
         QStringLiteral("--emoji-extension=disable"), QStringLiteral("--replace"),
         QStringLiteral("--cache=refresh")},
        m_dir.filePath(QStringLiteral("ibus-daemon.log")), &m_error);
    if (!m_daemon)
        return false;
    if (useEngine(engineName(), engineStartMs))
        return true;
    QFile log(m_dir.filePath(QStringLiteral("ibus-daemon.log")));
    m_error = QStringLiteral("the engine %1 did not come into force within %2 s; ibus-daemon: %3")
                  .arg(QString::fromLatin1(engineName()))
                  .arg(engineStartMs / 1000)
                  .arg(log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll())
                                                     : QStringLiteral("no log"));
    return false;
}

// Fcitx5 serves once its remote control answers; Mozc loads with the first composition.
bool InputMethodSession::startFcitx()
{
    m_daemon = m_session.startLogged(QStringLiteral("fcitx5"), {QStringLiteral("--replace")},
                                     m_dir.filePath(QStringLiteral("fcitx5.log")), &m_error);
    if (!m_daemon)
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < engineStartMs && m_daemon->state() == QProcess::Running) {
        if (m_session.run(QStringLiteral("fcitx5-remote"), {}, 5000))
            return true;
        QThread::msleep(pollIntervalMs);
    }
    m_error = QStringLiteral("fcitx5 did not answer within %1 s").arg(engineStartMs / 1000);
    return false;
}
