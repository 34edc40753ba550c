#include "support/inputmethod.h"

#include "support/xsession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QThread>

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

} // namespace

InputMethodSession::InputMethodSession(XSession &session) : m_session(session) {}

InputMethodSession::~InputMethodSession()
{
    if (m_daemon)
        m_session.run(QStringLiteral("ibus"), {QStringLiteral("exit")}, 5000);
    stopProcess(m_daemon.get());
    stopProcess(m_bus.get());
    for (const auto &[name, value] : m_savedEnvironment) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

std::optional<QString> InputMethodSession::missingPrerequisite()
{
    const std::pair<const char *, const char *> programs[] = {
        {"dbus-daemon", "dbus"}, {"ibus-daemon", "ibus"}, {"ibus", "ibus"}};
    for (const auto &[program, package] : programs) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
            return QStringLiteral("no %1 on PATH (Debian package %2)").arg(program, package);
    }
    if (!QFile::exists(QStringLiteral("/usr/share/ibus/component/anthy.xml")))
        return QStringLiteral("no IBus Anthy engine (Debian package ibus-anthy)");
    const QString plugin =
        QLibraryInfo::path(QLibraryInfo::PluginsPath) +
        QStringLiteral("/platforminputcontexts/libibusplatforminputcontextplugin.so");
    if (!QFile::exists(plugin))
        return QStringLiteral("no Qt IBus input context at ") + plugin;
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
    if (!startBus())
        return false;
    // The Anthy engine is a script for the system's python, whose gi module it needs.
    setEnvironment("PATH", "/usr/bin:/bin:" + qgetenv("PATH"));
    setEnvironment("IBUS_ADDRESS_FILE", QFile::encodeName(m_dir.filePath(QStringLiteral("ibus"))));
    setEnvironment("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
    setEnvironment("NO_AT_BRIDGE", "1");
    setEnvironment("GSETTINGS_BACKEND", "memory");
    setEnvironment("QT_IM_MODULE", "ibus");
    setEnvironment("XMODIFIERS", "@im=ibus");
    return startEngine();
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

bool InputMethodSession::switchOn(bool on)
{
    return useEngine(on ? QByteArray("anthy") : QByteArray("xkb:us::eng"), 20000);
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
    if (useEngine("anthy", engineStartMs))
        return true;
    QFile log(m_dir.filePath(QStringLiteral("ibus-daemon.log")));
    m_error =
        QStringLiteral("the Anthy engine did not come into force within %1 s; ibus-daemon: %2")
            .arg(engineStartMs / 1000)
            .arg(log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll())
                                               : QStringLiteral("no log"));
    return false;
}
