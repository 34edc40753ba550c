#pragma once

#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace toolkit::metafile {

// Whether the bytes start with an enhanced metafile header.
bool isEmf(QByteArrayView head);

// An enhanced metafile drawn at 96 dpi over the frame its header declares, or nothing where
// the header is unreadable or the frame is empty or needs more than maxPixels pixels.
std::optional<QImage> playEmf(QByteArrayView data, qint64 maxPixels);

} // namespace toolkit::metafile
