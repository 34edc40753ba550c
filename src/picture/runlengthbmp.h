#pragma once

#include "picture/pictureerror.h"

#include <QByteArray>
#include <QImage>

#include <optional>

namespace picture {

// Whether a BMP file's pixels are run-length coded (8 or 4 bits a pixel).
bool isRunLengthBmp(const QByteArray &data);

// The picture of a run-length BMP. Runs may end a line or the picture early and may skip
// ahead; every pixel they do not give is fully transparent, so the canvas shows through it
// alike on every load. The runs are read up to the picture's declared data size (else to the
// end of the file); a file shorter than that, or with no end-of-picture mark where no size is
// declared, has been cut short and is refused.
std::optional<QImage> decodeRunLengthBmp(const QByteArray &data, qint64 maxPixels,
                                         PictureError *why);

} // namespace picture
