#include "support/metafile_fixtures.h"

#include "support/test_data.h"

namespace fixtures {

QByteArray emf()
{
    return testData(QStringLiteral("emf/picture.emf"));
}

QByteArray placeableWmf()
{
    return testData(QStringLiteral("wmf/placeable.wmf"));
}

QByteArray plainWmf()
{
    return testData(QStringLiteral("wmf/plain.wmf"));
}

} // namespace fixtures
