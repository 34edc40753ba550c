#pragma once

#include "picture/pictureerror.h"

#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace picture::metafile {

// An enhanced metafile drawn at 96 dpi over the frame its header declares, or nothing where
// the header is unreadable or the frame is empty or needs more than maxPixels pixels.
std::optional<QImage> playEmf(QByteArrayView data, qint64 maxPixels, PictureError *why = nullptr);

} // namespace picture::metafile
