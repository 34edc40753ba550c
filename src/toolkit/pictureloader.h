#pragma once

#include "toolkit/picture.h"

#include <QString>

#include <optional>

namespace toolkit {

// The picture in a file, judged by its content and not its name, or nothing where the file
// cannot be read as an image.
std::optional<Picture> LoadPicture(const QString &path);

// The empty picture.
Picture LoadPicture();

} // namespace toolkit
