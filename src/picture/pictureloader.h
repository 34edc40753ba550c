#pragma once

#include "toolkit/picture.h"
#include "picture/pictureerror.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace toolkit {

// Largest picture a file may hold, in pixels of four bytes each (256 MiB): a file that
// would decode to more is refused before any pixel is decoded.
inline constexpr qint64 maxPicturePixels = qint64(256) * 1024 * 1024 / 4;

// Largest file read as a picture. Its bytes pass through the window on their way to the
// decoder process; compressed pictures of the largest size, and uncompressed ones of some
// 16 million pixels, fit.
inline constexpr qint64 maxPictureFileBytes = qint64(64) * 1024 * 1024;

// The picture in a regular file, judged by its content and not its name: the first frame of
// a GIF, a JPEG turned upright, the 32 x 32 image of an icon (else its largest), a BMP; or
// nothing where the file is no such picture, is damaged or cut short, would exceed
// maxPicturePixels or maxPictureFileBytes, or is no regular file at all (a folder, a device, a
// pipe are never read). The bytes are decoded in a separate decoder process
// (decoderprocess.h), so a decoder that crashes, hangs or runs out of memory costs only the
// picture. Where there is no picture, why (if given) receives the reason.
std::optional<Picture> LoadPicture(const QString &path, PictureError *why = nullptr);

// The empty picture.
Picture LoadPicture();

// The picture held in a file's bytes, read as LoadPicture reads a file's content, refused
// where it would exceed maxPixels pixels: the one place where untrusted bytes are decoded,
// called in the decoder process. Where there is no picture, why (if given) receives the reason.
std::optional<QImage> decodePicture(const QByteArray &data, qint64 maxPixels,
                                    PictureError *why = nullptr);

} // namespace toolkit
