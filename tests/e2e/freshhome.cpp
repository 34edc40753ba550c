#include "e2e/freshhome.h"

#include "e2e/xsession.h"

#include <QDir>

FreshHome::FreshHome(XSession &session)
{
    if (!m_home.isValid())
        return;
    const QByteArray home = QFile::encodeName(m_home.path());
    qputenv("HOME", home);
    for (const char *folder :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        qputenv(folder, home + "/." + QByteArray(folder).toLower());
    m_bus = session.spawn(QStringLiteral("dbus-daemon"),
                          {QStringLiteral("--session"), QStringLiteral("--nofork"),
                           QStringLiteral("--print-address=1")});
    m_bus->start();
    if (!m_bus->waitForReadyRead(5000))
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus->readLine().trimmed());
    m_ready = true;
}

FreshHome::~FreshHome()
{
    stopProcess(m_bus.get());
}

QStringList FreshHome::contents() const
{
    return QDir(m_home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
