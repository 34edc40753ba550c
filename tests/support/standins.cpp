#include "support/standins.h"

#include <QString>

QString builtDecoder()
{
    return QStringLiteral(TYPORAMA_DECODER);
}

QString standIn(const char *name)
{
    return QStringLiteral(TYPORAMA_STAND_IN_DIR "/") + QLatin1String(name);
}
