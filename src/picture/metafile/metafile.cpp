#include "picture/metafile/metafile.h"

#include "picture/metafile/emfplayer.h"
#include "picture/metafile/wmfplayer.h"

namespace toolkit {

bool looksLikeMetafile(const QByteArray &head)
{
    return metafile::isEmf(head) || metafile::isWmf(head);
}

std::optional<QImage> decodeMetafile(const QByteArray &data, qint64 maxPixels)
{
    if (metafile::isEmf(data))
        return metafile::playEmf(data, maxPixels);
    if (metafile::isWmf(data))
        return metafile::playWmf(data, maxPixels);
    return std::nullopt;
}

} // namespace toolkit
