#include "toolkit/loadpicture.h"

#include "picture/decoderprocess.h"
#include "picture/pictureloader.h"
#include "toolkit/regularfile.h"

#include <QByteArray>

namespace toolkit {

using picture::decodeInHelper;
using picture::maxPictureFileBytes;
using picture::maxPicturePixels;
using picture::PictureError;
using picture::pictureErrorName;

std::optional<Picture> LoadPicture(const QString &path, PictureError *why)
{
    PictureError error = PictureError::None;
    std::optional<QImage> image;
    if (const std::optional<QByteArray> data = readRegularFile(path, maxPictureFileBytes, error))
        image = decodeInHelper(*data, maxPicturePixels, &error);
    if (why)
        *why = error;
    if (!image) {
        qCWarning(lcPicture, "Refused %s as a picture: %s", loggedName(path).constData(),
                  pictureErrorName(error));
        return std::nullopt;
    }
    return Picture(std::move(*image));
}

Picture LoadPicture()
{
    return Picture();
}

} // namespace toolkit
