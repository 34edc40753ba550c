#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

class XSession;

// A real Japanese input method for the clients of an X session: a private D-Bus session bus,
// an IBus daemon on it with the Anthy engine in force, and the environment (QT_IM_MODULE=ibus)
// under which the programs started afterwards use it. Everything stops with the object, and
// the test process's environment is given back.
class InputMethodSession
{
public:
    explicit InputMethodSession(XSession &session);
    ~InputMethodSession();
    InputMethodSession(const InputMethodSession &) = delete;
    InputMethodSession &operator=(const InputMethodSession &) = delete;

    // What this machine lacks for the input method, in words; nothing when all is there.
    static std::optional<QString> missingPrerequisite();

    // Starts the bus and the daemon and switches the engine on; false with errorString().
    bool start();
    QString errorString() const { return m_error; }
    // Switches the Japanese engine on, or off (plain US keyboard), and waits until it is.
    bool switchOn(bool on);

private:
    void setEnvironment(const char *name, const QByteArray &value);
    bool startBus();
    bool startEngine();
    bool useEngine(const QByteArray &name, int timeoutMs);

    XSession &m_session;
    QTemporaryDir m_dir;
    QString m_error;
    std::unique_ptr<QProcess> m_bus;
    std::unique_ptr<QProcess> m_daemon;
    QList<QPair<QByteArray, std::optional<QByteArray>>> m_savedEnvironment;
};
