#pragma once

#include "picture/pictureerror.h"

#include <QImage>
#include <QSize>

#include <optional>

namespace picture::metafile {

// The pixel size at 96 dpi of a picture so many inches wide and high, or nothing where
// either side is empty, negative or beyond what a painter can address, or the picture would
// have more than maxPixels pixels; a picture refused for its size alone sets why (if given) to
// TooLarge. Sizes under a pixel round up to one.
std::optional<QSize> pictureSize(double widthInches, double heightInches, qint64 maxPixels,
                                 PictureError *why = nullptr);

// A transparent picture of that size to play a metafile onto, at 96 dpi.
QImage blankPicture(const QSize &size);

} // namespace picture::metafile
