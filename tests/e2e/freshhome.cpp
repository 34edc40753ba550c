#include "e2e/freshhome.h"

#include "e2e/xsession.h"

#include <QDir>

namespace {
const QStringList folders{QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("XDG_DATA_HOME"),
                          QStringLiteral("XDG_STATE_HOME"), QStringLiteral("XDG_CACHE_HOME")};
} // namespace

FreshHome::FreshHome(XSession &session) : m_session(session)
{
    if (!m_home.isValid())
        return;
    m_session.setClientVariable(QStringLiteral("HOME"), m_home.path());
    for (const QString &folder : folders)
        m_session.setClientVariable(folder, m_home.filePath(u'.' + folder.toLower()));
    QString error;
    m_bus = m_session.startBus({QStringLiteral("--session")}, &error);
}

FreshHome::~FreshHome()
{
    stopProcess(m_bus.get());
    for (const QString &name :
         folders + QStringList{QStringLiteral("HOME"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS")})
        m_session.setClientVariable(name, QString());
}

QStringList FreshHome::contents() const
{
    return QDir(m_home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
