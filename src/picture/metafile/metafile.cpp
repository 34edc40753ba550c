#include "picture/metafile/metafile.h"

#include "picture/metafile/emfplayer.h"
#include "picture/metafile/wmfplayer.h"
#include "picture/sniffer.h"

namespace picture {

bool looksLikeMetafile(const QByteArray &head)
{
    const PictureFormat format = pictureFormatOf(head);
    return format == PictureFormat::Wmf || format == PictureFormat::Emf;
}

std::optional<QImage> decodeMetafile(const QByteArray &data, qint64 maxPixels, PictureError *why)
{
    PictureError reason = PictureError::Truncated;
    std::optional<QImage> image;
    switch (pictureFormatOf(data)) {
    case PictureFormat::Emf:
        image = metafile::playEmf(data, maxPixels, &reason);
        break;
    case PictureFormat::Wmf:
        image = metafile::playWmf(data, maxPixels, &reason);
        break;
    default:
        break;
    }
    if (why)
        *why = image ? PictureError::None : reason;
    return image;
}

} // namespace picture
