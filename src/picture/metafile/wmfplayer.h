#pragma once

#include "picture/pictureerror.h"

#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace picture::metafile {

// A Windows metafile drawn at 96 dpi, or nothing where its headers are unreadable, its size
// is unknown or empty, or it needs more than maxPixels pixels. A placeable file is as large
// as its bounding box in its units per inch. A plain one declares no physical size: its
// viewport extent is taken as pixels, else its window extent in the units of its mapping
// mode, twips for the scalable modes as placeable files commonly use.
std::optional<QImage> playWmf(QByteArrayView data, qint64 maxPixels, PictureError *why = nullptr);

} // namespace picture::metafile
