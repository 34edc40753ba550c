#pragma once

#include "picture/pictureerror.h"

#include <QByteArray>
#include <QImage>

#include <optional>

namespace picture {

// Largest picture a file may hold, in pixels of four bytes each (256 MiB): a file that
// would decode to more is refused before any pixel is decoded.
inline constexpr qint64 maxPicturePixels = qint64(256) * 1024 * 1024 / 4;

// Largest file read as a picture. Its bytes pass through the window on their way to the
// decoder process; compressed pictures of the largest size, and uncompressed ones of some
// 16 million pixels, fit.
inline constexpr qint64 maxPictureFileBytes = qint64(64) * 1024 * 1024;

// The picture held in a file's bytes, judged by their content and never by the file's name:
// the first frame of a GIF, a JPEG turned upright, the 32 x 32 image of an icon (else its
// largest), a BMP, a WMF or EMF drawn at 96 dpi, in a pixel format the decoder process sends
// (picturewire.h) and with a palette as long as its pixels need; or nothing where the bytes are
// no such picture, are damaged or cut short, are a variant of one that is not read, or would
// exceed maxPixels pixels. The one place where untrusted bytes are decoded, called in the
// decoder process. Where there is no picture, why (if given) receives the reason.
std::optional<QImage> decodePicture(const QByteArray &data, qint64 maxPixels,
                                    PictureError *why = nullptr);

} // namespace picture
