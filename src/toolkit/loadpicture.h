#pragma once

#include "picture/pictureerror.h"
#include "toolkit/picture.h"

#include <QString>

#include <optional>

namespace toolkit {

// The picture in a regular file, judged by its content and not its name (decodePicture in
// picture/pictureloader.h says what is read of each format); or nothing where the file is no
// such picture, is damaged or cut short, would exceed maxPicturePixels or maxPictureFileBytes,
// or is no regular file at all (a folder, a device, a pipe are never read). The bytes are
// decoded in a separate decoder process (picture/decoderprocess.h), so a decoder that crashes,
// hangs or runs out of memory costs only the picture. Where there is no picture, why (if
// given) receives the reason.
std::optional<Picture> LoadPicture(const QString &path, picture::PictureError *why = nullptr);

// The empty picture.
Picture LoadPicture();

} // namespace toolkit
