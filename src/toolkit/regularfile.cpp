#include "toolkit/regularfile.h"

#include "fonts/fonterror.h"
#include "picture/pictureerror.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {

QByteArray loggedName(const QString &path)
{
    QByteArray logged;
    for (const char c : path.toUtf8()) {
        if (uchar(c) < 0x20 || c == 0x7F)
            logged += "\\x" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
        else
            logged += c;
    }
    return logged;
}

template <typename Error>
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes, Error &why)
{
    why = Error::Unreadable;
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
    why = Error::NotRegularFile;
    if (!S_ISREG(status.st_mode))
        return std::nullopt;
    why = Error::TooLarge;
    if (status.st_size > maxBytes)
        return std::nullopt;
    QByteArray data = file.read(maxBytes + 1);
    if (data.size() > maxBytes)
        return std::nullopt;
    why = Error::None;
    return data;
}

template std::optional<QByteArray> readRegularFile(const QString &, qint64,
                                                   picture::PictureError &);
template std::optional<QByteArray> readRegularFile(const QString &, qint64, fonts::FontError &);

} // namespace toolkit
