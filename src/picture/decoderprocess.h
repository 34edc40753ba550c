#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include "picture/pictureerror.h"

#include <optional>

namespace picture {

// The decoder executable that pictures are decoded in, apart from the window's own process:
// beside the program (a build tree), else in its private folder of the installation.
QString decoderPath();

// Uses another decoder executable from now on; an empty path goes back to the one beside the
// program.
void setDecoderPath(const QString &path);

// The picture in a file's bytes, decoded by the decoder executable under limits on memory,
// processor time, files and network, within maxPixels pixels. Nothing where the decoder
// cannot be started, refuses the bytes, ends abnormally, overruns its limits or its time, or
// sends back anything but one well-formed picture within the bound. Returns only once the
// decoder has ended; the window handles no events meanwhile. Where there is no picture, why
// (if given) receives the reason. The decoder's messages go to the picture logging category.
std::optional<QImage> decodeInHelper(const QByteArray &data, qint64 maxPixels,
                                     PictureError *why = nullptr);

} // namespace picture
