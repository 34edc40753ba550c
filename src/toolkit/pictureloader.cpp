#include "toolkit/pictureloader.h"

#include <QImageReader>

namespace toolkit {

std::optional<Picture> LoadPicture(const QString &path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull())
        return std::nullopt;
    return Picture(std::move(image));
}

Picture LoadPicture() { return Picture(); }

} // namespace toolkit
