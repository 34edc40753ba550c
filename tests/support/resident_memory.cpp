#include "support/resident_memory.h"

#include <QFile>
#include <QRegularExpression>

qint64 residentMemoryBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression rss(QStringLiteral("^VmRSS:\\s*(\\d+) kB$"),
                                        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = rss.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() * 1024 : 0;
}
