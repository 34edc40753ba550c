#pragma once

#include <QString>

// The stand-in decoders built beside the tests: each misbehaves in one way.
inline QString standIn(const char *name)
{
    return QStringLiteral(TYPORAMA_STAND_IN_DIR "/") + QLatin1String(name);
}
