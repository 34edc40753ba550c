#include "e2e/inputmethod.h"

#include "e2e/xsession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <unistd.h>

namespace {

constexpr int engineStartMs = 60000;
constexpr int pollIntervalMs = 300;

// What differs between the engines: the IBus engine name and the file its package installs,
// the Qt input context, the programs the framework runs (each as program:Debian package), and
// the keys that switch hiragana on and off (Mozc's Hiragana key switches on whatever the state;
// the others toggle) and convert the selected text anew.
struct EngineTraits
{
    const char *name;
    const char *file;
    const char *package;
    const char *inputContext;
    const char *programs;
    const char *onKey;
    const char *offKey;
    const char *reconvertKey;
};

constexpr EngineTraits engineTraits[] = {
    {"anthy", "/usr/share/ibus/component/anthy.xml", "ibus-anthy", "ibus",
     "ibus-daemon:ibus ibus:ibus", "ctrl+j", "ctrl+j", "shift+Henkan"},
    {"mozc-jp", "/usr/share/ibus/component/mozc.xml", "ibus-mozc", "ibus",
     "ibus-daemon:ibus ibus:ibus", "Hiragana", "Zenkaku_Hankaku", "Henkan"},
    {"mozc", "/usr/share/fcitx5/addon/mozc.conf", "fcitx5-mozc", "fcitx5",
     "fcitx5:fcitx5 fcitx5-remote:fcitx5", "ctrl+space", "ctrl+space", "Henkan"}};

// The settings of tests/e2e/fcitx5 into the session's configuration folder.
bool copyFcitxSettings(const QDir &config)
{
    const QDir settings(QStringLiteral(TYPORAMA_E2E_DATA "/fcitx5"));
    return config.mkpath(QStringLiteral("fcitx5")) &&
           std::ranges::all_of(settings.entryList(QDir::Files), [&](const QString &name) {
               return QFile::copy(settings.filePath(name),
                                  config.filePath(QStringLiteral("fcitx5/") + name));
           });
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
    for (const QString &name : std::as_const(m_variables))
        m_session.setClientVariable(name, QString());
}

std::optional<QString> InputMethodSession::missingPrerequisite(Engine engine)
{
    const EngineTraits &traits = engineTraits[int(engine)];
    QString programs = QStringLiteral("dbus-daemon:dbus ") + QString::fromLatin1(traits.programs);
    // What makeUser() and removeUser() run.
    if (engine != Engine::Anthy && ::geteuid() == 0)
        programs += QStringLiteral(
            " runuser:util-linux useradd:passwd pkill:procps xhost:x11-xserver-utils");
    for (const QString &entry : programs.split(u' ')) {
        const QString program = entry.section(u':', 0, 0);
        if (QStandardPaths::findExecutable(program).isEmpty())
            return QStringLiteral("no %1 on PATH (Debian package %2)")
                .arg(program, entry.section(u':', 1));
    }
    if (!QFile::exists(QString::fromLatin1(traits.file)))
        return QStringLiteral("no %1 (Debian package %2)").arg(traits.file, traits.package);
    const QString plugin =
        QLibraryInfo::path(QLibraryInfo::PluginsPath) +
        QStringLiteral("/platforminputcontexts/lib%1platforminputcontextplugin.so")
            .arg(traits.inputContext);
    if (!QFile::exists(plugin))
        return QStringLiteral("no Qt input context at ") + plugin;
    return std::nullopt;
}

void InputMethodSession::setVariable(const QString &name, const QString &value)
{
    m_variables << name;
    m_session.setClientVariable(name, value);
}

bool InputMethodSession::start()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no private directory: ") + m_dir.errorString();
        return false;
    }
    const bool fcitx = m_engine == Engine::FcitxMozc;
    if (fcitx && !copyFcitxSettings(QDir(m_dir.filePath(QStringLiteral("config"))))) {
        m_error = QStringLiteral("cannot write the Fcitx5 settings");
        return false;
    }
    if (m_engine != Engine::Anthy && ::geteuid() == 0 && !makeUser())
        return false;
    // A bus that starts no services on demand.
    m_variables << QStringLiteral("DBUS_SESSION_BUS_ADDRESS");
    m_bus = m_session.startBus(
        {QStringLiteral("--config-file=" TYPORAMA_E2E_DATA "/session-bus.conf")}, &m_error);
    if (!m_bus)
        return false;
    // The Anthy engine is a script for the system's python, whose gi module it needs.
    setVariable(QStringLiteral("PATH"),
                QStringLiteral("/usr/bin:/bin:") + qEnvironmentVariable("PATH"));
    setVariable(QStringLiteral("IBUS_ADDRESS_FILE"), m_dir.filePath(QStringLiteral("ibus")));
    setVariable(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    setVariable(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    setVariable(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
    const QString module = fcitx ? QStringLiteral("fcitx") : QStringLiteral("ibus");
    setVariable(QStringLiteral("QT_IM_MODULE"), module);
    setVariable(QStringLiteral("XMODIFIERS"), QStringLiteral("@im=") + module);
    return startDaemon();
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

// Ends what the user's session left running (the Mozc server), and the user.
void InputMethodSession::removeUser()
{
    if (m_user.isEmpty())
        return;
    m_session.runClientsAs(QString(), QString());
    const auto removed = [this] {
        QProcess::execute(QStringLiteral("pkill"),
                          {QStringLiteral("-KILL"), QStringLiteral("-u"), m_user});
        QThread::msleep(pollIntervalMs);
        return QProcess::execute(QStringLiteral("userdel"), {m_user}) == 0;
    };
    pollUntil(removed, 10000, 0);
    m_user.clear();
}

// Fcitx5 switches on per program, by its key.
bool InputMethodSession::switchOn(bool on)
{
    if (m_engine == Engine::FcitxMozc)
        return m_daemon->state() == QProcess::Running;
    return useEngine(on ? engineName() : QByteArray("xkb:us::eng"), 20000);
}

QString InputMethodSession::onKey() const
{
    return QString::fromLatin1(engineTraits[int(m_engine)].onKey);
}

QString InputMethodSession::offKey() const
{
    return QString::fromLatin1(engineTraits[int(m_engine)].offKey);
}

QString InputMethodSession::reconvertKey() const
{
    return QString::fromLatin1(engineTraits[int(m_engine)].reconvertKey);
}

QByteArray InputMethodSession::engineName() const
{
    return engineTraits[int(m_engine)].name;
}

// Asks until the answer is yes, the time is up or the daemon has ended.
bool InputMethodSession::pollDaemon(const std::function<bool()> &done, int timeoutMs)
{
    return pollUntil([&] { return m_daemon->state() != QProcess::Running || done(); }, timeoutMs,
                     pollIntervalMs) &&
           m_daemon->state() == QProcess::Running;
}

bool InputMethodSession::useEngine(const QByteArray &name, int timeoutMs)
{
    return pollDaemon(
        [&] {
            // Its exit status says nothing: it fails on success too. The engine in force does.
            m_session.run(QStringLiteral("ibus"),
                          {QStringLiteral("engine"), QString::fromLatin1(name)}, 30000);
            const std::optional<QByteArray> engine =
                m_session.run(QStringLiteral("ibus"), {QStringLiteral("engine")}, 5000);
            return engine && engine->trimmed() == name;
        },
        timeoutMs);
}

// IBus serves once the engine is in force: its first start compiles its scripts and loads the
// dictionary, which can take longer than the daemon waits for it on a busy machine, so it is asked
// again until it is. Fcitx5 serves once its remote control answers; Mozc loads with the first
// composition.
bool InputMethodSession::startDaemon()
{
    const bool fcitx = m_engine == Engine::FcitxMozc;
    const QString program = fcitx ? QStringLiteral("fcitx5") : QStringLiteral("ibus-daemon");
    const QString logPath = m_dir.filePath(program + QStringLiteral(".log"));
    // IBus runs only the engine, no panel, settings or emoji programs, and reads the engine list
    // afresh: a system cache written while the engine could not start lists no Anthy.
    const QString arguments = fcitx ? QStringLiteral("--replace")
                                    : QStringLiteral("--replace --panel=disable --config=disable "
                                                     "--emoji-extension=disable --cache=refresh");
    m_daemon = m_session.startLogged(program, arguments.split(u' '), logPath, &m_error);
    if (!m_daemon)
        return false;
    const auto remoteAnswers = [this] {
        return m_session.run(QStringLiteral("fcitx5-remote"), {}, 5000).has_value();
    };
    if (fcitx ? pollDaemon(remoteAnswers, engineStartMs) : useEngine(engineName(), engineStartMs))
        return true;
    QFile log(logPath);
    m_error = QStringLiteral("%1 with %2 did not serve within %3 s; its log: %4")
                  .arg(program, QString::fromLatin1(engineName()))
                  .arg(engineStartMs / 1000)
                  .arg(log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll())
                                                     : QStringLiteral("no log"));
    return false;
}
