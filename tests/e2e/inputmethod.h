#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

class XSession;

// A real Japanese input method for the clients of an X session: a private D-Bus session bus,
// IBus with Anthy or Mozc in force or Fcitx5 with Mozc on it, and the environment (QT_IM_MODULE)
// under which the session's programs started afterwards use it. Mozc serves no root, so for it a
// root test runs the session's clients as a throwaway user. Everything stops with the object, the
// user is removed, and the session's clients get their environment back.
class InputMethodSession
{
public:
    enum class Engine { Anthy, IbusMozc, FcitxMozc };

    InputMethodSession(XSession &session, Engine engine);
    ~InputMethodSession();
    InputMethodSession(const InputMethodSession &) = delete;
    InputMethodSession &operator=(const InputMethodSession &) = delete;

    // What this machine lacks for the input method, in words; nothing when all is there.
    static std::optional<QString> missingPrerequisite(Engine engine);

    // Starts the bus and the daemon and switches the engine on; false with errorString().
    bool start();
    QString errorString() const { return m_error; }
    // Switches the Japanese engine on, or off (plain US keyboard), and waits until it is.
    bool switchOn(bool on);
    // The keys that switch hiragana input on and off, and the one that converts the selected text
    // anew.
    QString onKey() const;
    QString offKey() const;
    QString reconvertKey() const;

private:
    void setVariable(const QString &name, const QString &value);
    bool pollDaemon(const std::function<bool()> &done, int timeoutMs);
    bool startDaemon();
    bool useEngine(const QByteArray &name, int timeoutMs);
    QByteArray engineName() const;
    bool makeUser();
    void removeUser();

    XSession &m_session;
    Engine m_engine;
    QTemporaryDir m_dir;
    QString m_user;
    QString m_error;
    std::unique_ptr<QProcess> m_bus;
    std::unique_ptr<QProcess> m_daemon;
    // What this session set in its clients' environment, taken back with it.
    QStringList m_variables;
};
