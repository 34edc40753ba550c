#include "toolkit/loadpicture.h"

#include "picture/decoderprocess.h"
#include "picture/pictureloader.h"

#include <QByteArray>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {

using picture::decodeInHelper;
using picture::maxPictureFileBytes;
using picture::maxPicturePixels;
using picture::PictureError;
using picture::pictureErrorName;
namespace {

// The whole of a regular file. Anything else (a folder, a device, a pipe) is refused without
// reading; opening never blocks, since a pipe with no writer would hold the window forever.
std::optional<QByteArray> readRegularFile(const QString &path, PictureError &why)
{
    why = PictureError::Unreadable;
    if (path.isEmpty())
        return std::nullopt;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    why = PictureError::NotRegularFile;
    if (!S_ISREG(status.st_mode))
        return std::nullopt;
    why = PictureError::TooLarge;
    if (status.st_size > maxPictureFileBytes)
        return std::nullopt;
    QByteArray data = file.read(maxPictureFileBytes + 1);
    if (data.size() > maxPictureFileBytes)
        return std::nullopt;
    why = PictureError::None;
    return data;
}

} // namespace

std::optional<Picture> LoadPicture(const QString &path, PictureError *why)
{
    PictureError error = PictureError::None;
    std::optional<QImage> image;
    if (const std::optional<QByteArray> data = readRegularFile(path, error))
        image = decodeInHelper(*data, maxPicturePixels, &error);
    if (why)
        *why = error;
    if (!image) {
        qCWarning(lcPicture, "Refused %s as a picture: %s", qUtf8Printable(path),
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
