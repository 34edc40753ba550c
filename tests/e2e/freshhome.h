#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class XSession;

// A desktop user's session for the programs the session starts while this lives: a session
// bus, and a home whose settings, data, state and cache folders are empty.
class FreshHome
{
public:
    explicit FreshHome(XSession &session);
    ~FreshHome();

    // False where the home or the bus could not be made.
    bool isReady() const { return m_bus != nullptr; }
    // Whatever is in the home now, hidden or not; empty as long as nothing was written.
    QStringList contents() const;

private:
    XSession &m_session;
    QTemporaryDir m_home;
    std::unique_ptr<QProcess> m_bus;
};
