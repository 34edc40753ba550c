#pragma once

#include "picture/pictureerror.h"

#include <QByteArray>
#include <QImage>

#include <optional>

namespace picture {

// Whether the first bytes of a file are those of a Windows metafile (placeable or plain WMF)
// or an enhanced metafile, judged by content alone (sniffer.h).
bool looksLikeMetafile(const QByteArray &head);

// A WMF or EMF drawn at 96 dpi at the physical size the file declares, transparent where it
// paints nothing, or nothing where the data is no metafile, cannot be decoded, or would need
// a picture of more than maxPixels pixels. Where there is no picture, why (if given) receives
// the reason: TooLarge for a picture beyond the bound, Unsupported for a whole plain WMF that
// never says its size, else Truncated.
std::optional<QImage> decodeMetafile(const QByteArray &data, qint64 maxPixels,
                                     PictureError *why = nullptr);

} // namespace picture
