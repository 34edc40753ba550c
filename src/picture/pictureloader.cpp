#include "picture/pictureloader.h"

#include "picture/decoderprocess.h"
#include "picture/metafile/metafile.h"
#include "picture/runlengthbmp.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {
namespace {

enum class Content { Bmp, Gif, Jpeg, Icon, Metafile, Unknown };

unsigned byteAt(const QByteArray &data, qint64 pos)
{
    return static_cast<quint8>(data[pos]);
}

quint32 le16(const QByteArray &data, qint64 pos)
{
    return byteAt(data, pos) | byteAt(data, pos + 1) << 8;
}

quint32 le32(const QByteArray &data, qint64 pos)
{
    return le16(data, pos) | le16(data, pos + 2) << 16;
}

quint32 be16(const QByteArray &data, qint64 pos)
{
    return byteAt(data, pos) << 8 | byteAt(data, pos + 1);
}

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

bool startsWith(const QByteArray &data, const char *magic, qint64 length)
{
    return data.size() >= length && std::equal(magic, magic + length, data.constData());
}

bool isMetafile(const QByteArray &data)
{
    // A placeable WMF, a WMF held in memory or on disk, or an EMF (header record and signature).
    if (startsWith(data, "\xD7\xCD\xC6\x9A", 4))
        return true;
    if (data.size() >= 18 && (le16(data, 0) == 1 || le16(data, 0) == 2) && le16(data, 2) == 9)
        return true;
    return data.size() >= 44 && le32(data, 0) == 1 && startsWith(data.mid(40, 4), " EMF", 4);
}

Content contentOf(const QByteArray &data)
{
    if (startsWith(data, "BM", 2))
        return Content::Bmp;
    if (startsWith(data, "GIF87a", 6) || startsWith(data, "GIF89a", 6))
        return Content::Gif;
    if (startsWith(data, "\xFF\xD8\xFF", 3))
        return Content::Jpeg;
    if (startsWith(data, "\x00\x00\x01\x00", 4))
        return Content::Icon;
    if (isMetafile(data))
        return Content::Metafile;
    return Content::Unknown;
}

// Qt's decoders hand back what they could read of a file cut short, with the rest filled in;
// these checks make sure the pixel data of the picture is there in full before decoding, and
// that the picture keeps within the pixel bound. Each gives the reason to refuse, or None.

PictureError bmpCheck(const QByteArray &data, qint64 maxPixels)
{
    if (data.size() < 26)
        return PictureError::Truncated;
    const qint64 offset = le32(data, 10);
    const quint32 headerSize = le32(data, 14);
    if (headerSize == 12) {
        const qint64 width = le16(data, 18);
        const qint64 height = le16(data, 20);
        if (width * height > maxPixels)
            return PictureError::TooLarge;
        const qint64 rowBytes = (width * le16(data, 24) + 31) / 32 * 4;
        return offset + rowBytes * height <= data.size() ? PictureError::None
                                                         : PictureError::Truncated;
    }
    if (data.size() < 38)
        return PictureError::Truncated;
    // A negative height marks a picture stored from its top line down.
    const qint64 width = qint32(le32(data, 18));
    const qint64 height = std::abs(qint64(qint32(le32(data, 22))));
    const qint64 bitCount = le16(data, 28);
    if (width <= 0)
        return PictureError::Truncated;
    if (width * height > maxPixels)
        return PictureError::TooLarge;
    const qint64 rowBytes = (width * bitCount + 31) / 32 * 4;
    return offset + rowBytes * height <= data.size() ? PictureError::None : PictureError::Truncated;
}

// Skips a run of GIF sub-blocks; the position after its terminator, or nothing.
std::optional<qint64> skipSubBlocks(const QByteArray &data, qint64 pos)
{
    while (pos < data.size()) {
        const unsigned length = byteAt(data, pos);
        pos += 1 + length;
        if (length == 0)
            return pos;
    }
    return std::nullopt;
}

// The first frame's data must be there to its end, and the frame must fit the pixel bound.
PictureError gifCheck(const QByteArray &data, qint64 maxPixels)
{
    if (data.size() < 13)
        return PictureError::Truncated;
    const qint64 screenWidth = le16(data, 6);
    const qint64 screenHeight = le16(data, 8);
    const unsigned packed = byteAt(data, 10);
    qint64 pos = 13 + ((packed & 0x80) ? 3 * (2 << (packed & 7)) : 0);
    while (pos < data.size()) {
        const unsigned block = byteAt(data, pos);
        if (block == 0x21) {
            const std::optional<qint64> next = skipSubBlocks(data, pos + 2);
            if (!next)
                return PictureError::Truncated;
            pos = *next;
        } else if (block == 0x2C) {
            if (pos + 10 > data.size())
                return PictureError::Truncated;
            const qint64 right = le16(data, pos + 1) + le16(data, pos + 5);
            const qint64 bottom = le16(data, pos + 3) + le16(data, pos + 7);
            if (std::max(right, screenWidth) * std::max(bottom, screenHeight) > maxPixels)
                return PictureError::TooLarge;
            const unsigned local = byteAt(data, pos + 9);
            pos += 10 + ((local & 0x80) ? 3 * (2 << (local & 7)) : 0) + 1;
            return skipSubBlocks(data, pos) ? PictureError::None : PictureError::Truncated;
        } else {
            return PictureError::Truncated;
        }
    }
    return PictureError::Truncated;
}

quint32 be32(const QByteArray &data, qint64 pos)
{
    return be16(data, pos) << 16 | be16(data, pos + 2);
}

// Every image of an icon lies inside the file and declares a size within the bound, in its
// own header (a PNG's IHDR or a bitmap's info header, whose height counts the mask too), not
// only in the directory, which cannot say more than 256 x 256.
PictureError iconCheck(const QByteArray &data, qint64 maxPixels)
{
    if (data.size() < 6)
        return PictureError::Truncated;
    const qint64 count = le16(data, 4);
    if (count == 0 || 6 + count * 16 > data.size())
        return PictureError::Truncated;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 entry = 6 + i * 16;
        const qint64 bytes = le32(data, entry + 8);
        const qint64 at = le32(data, entry + 12);
        if (at + bytes > data.size() || bytes < 24)
            return PictureError::Truncated;
        qint64 width = 0;
        qint64 height = 0;
        if (startsWith(data.mid(at, 8), "\x89PNG\r\n\x1A\n", 8)) {
            width = be32(data, at + 16);
            height = be32(data, at + 20);
        } else {
            width = qint32(le32(data, at + 4));
            height = std::abs(qint64(qint32(le32(data, at + 8)))) / 2;
        }
        if (width <= 0 || height < 0)
            return PictureError::Truncated;
        if (width * height > maxPixels)
            return PictureError::TooLarge;
    }
    return PictureError::None;
}

// The metafile decoder draws as much of a file as there is; a file shorter than its header
// says it is has been cut short and is refused like any other cut picture. An EMF's header
// gives its length in bytes, a WMF's (after the placeable header, where there is one) in
// 16-bit words.
bool metafileComplete(const QByteArray &data)
{
    if (data.size() >= 44 && le32(data, 0) == 1 && startsWith(data.mid(40, 4), " EMF", 4))
        return data.size() >= 52 && le32(data, 48) <= quint32(data.size());
    const qint64 header = startsWith(data, "\xD7\xCD\xC6\x9A", 4) ? 22 : 0;
    if (header + 10 > data.size())
        return false;
    // Writers differ on whether the placeable header counts; the more lenient reading is taken.
    return qint64(le32(data, header + 6)) * 2 <= data.size();
}

// Follows the segments and the entropy-coded scans to the end-of-image marker; a file that
// ends before it has been cut short. Stray bytes between segments are passed over, as the
// decoder passes over them with a warning. Every frame header on the way must keep within the
// pixel bound.
PictureError jpegCheck(const QByteArray &data, qint64 maxPixels)
{
    qint64 pos = 2;
    const qint64 size = data.size();
    while (pos + 1 < size) {
        if (byteAt(data, pos) != 0xFF) {
            ++pos;
            continue;
        }
        const unsigned marker = byteAt(data, pos + 1);
        if (marker == 0xFF || marker == 0x00) {
            ++pos;
            continue;
        }
        pos += 2;
        if (marker == 0xD9)
            return PictureError::None;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (pos + 1 >= size)
            return PictureError::Truncated;
        const qint64 length = be16(data, pos);
        if (length < 2)
            return PictureError::Truncated;
        // Start of frame, of any kind: precision, then height and width.
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && pos + 7 > size)
            return PictureError::Truncated;
        if (frame && qint64(be16(data, pos + 3)) * be16(data, pos + 5) > maxPixels)
            return PictureError::TooLarge;
        pos += length;
        if (marker != 0xDA)
            continue;
        // Scan data: a 0xFF in it is followed by a stuffed zero or a restart marker.
        while (pos + 1 < size) {
            if (byteAt(data, pos) == 0xFF) {
                const unsigned next = byteAt(data, pos + 1);
                if (next != 0x00 && next != 0xFF && !(next >= 0xD0 && next <= 0xD7))
                    break;
            }
            ++pos;
        }
    }
    return PictureError::Truncated;
}

// A decoder for the data, with the pixel bound also applied to what the decoder allocates.
void prepare(QImageReader &reader, qint64 maxPixels)
{
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    // In whole MiB, rounded up; a limit of 0 would mean none at all.
    reader.setAllocationLimit(int(std::max<qint64>(1, (maxPixels * 4 + 1024 * 1024 - 1) >> 20)));
}

// The size a reader announces; a BMP stored from its top line down gives a negative height.
bool withinBound(const QSize &size, qint64 maxPixels)
{
    const qint64 width = std::abs(qint64(size.width()));
    const qint64 height = std::abs(qint64(size.height()));
    return width > 0 && height > 0 && width * height <= maxPixels;
}

std::optional<QImage> refuse(PictureError *why, PictureError error)
{
    if (why)
        *why = error;
    return std::nullopt;
}

std::optional<QImage> decodeRaster(const QByteArray &data, const char *format, qint64 maxPixels,
                                   PictureError *why)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    prepare(reader, maxPixels);
    if (!withinBound(reader.size(), maxPixels))
        return refuse(why,
                      reader.size().isEmpty() ? PictureError::Truncated : PictureError::TooLarge);
    QImage image = reader.read();
    if (image.isNull())
        return refuse(why, PictureError::Truncated);
    return image;
}

// The icon's 32 x 32 image where it has one, else its largest.
std::optional<QImage> decodeIcon(const QByteArray &data, qint64 maxPixels, PictureError *why)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    prepare(reader, maxPixels);
    int chosen = -1;
    qint64 chosenArea = 0;
    for (int i = 0; i < reader.imageCount(); ++i) {
        if (!reader.jumpToImage(i))
            return refuse(why, PictureError::Truncated);
        const QSize size = reader.size();
        if (!withinBound(size, maxPixels))
            return refuse(why, PictureError::TooLarge);
        if (size == QSize(32, 32)) {
            chosen = i;
            break;
        }
        const qint64 area = qint64(size.width()) * size.height();
        if (area > chosenArea) {
            chosen = i;
            chosenArea = area;
        }
    }
    if (chosen < 0 || !reader.jumpToImage(chosen))
        return refuse(why, PictureError::Truncated);
    QImage image = reader.read();
    if (image.isNull())
        return refuse(why, PictureError::Truncated);
    return image;
}

// Runs the check of a format, then its decoder.
template <typename Decode>
std::optional<QImage> checked(PictureError check, PictureError *why, Decode decode)
{
    if (check != PictureError::None)
        return refuse(why, check);
    return decode();
}

} // namespace

std::optional<QImage> decodePicture(const QByteArray &data, qint64 maxPixels, PictureError *why)
{
    if (why)
        *why = PictureError::None;
    // The content, never the file's name, decides how it is read.
    switch (contentOf(data)) {
    case Content::Bmp:
        // Qt's reader leaves the pixels that run-length data skips uninitialised.
        if (isRunLengthBmp(data))
            return decodeRunLengthBmp(data, maxPixels, why);
        return checked(bmpCheck(data, maxPixels), why,
                       [&] { return decodeRaster(data, "bmp", maxPixels, why); });
    case Content::Gif:
        return checked(gifCheck(data, maxPixels), why,
                       [&] { return decodeRaster(data, "gif", maxPixels, why); });
    case Content::Jpeg:
        return checked(jpegCheck(data, maxPixels), why,
                       [&] { return decodeRaster(data, "jpeg", maxPixels, why); });
    case Content::Icon:
        return checked(iconCheck(data, maxPixels), why,
                       [&] { return decodeIcon(data, maxPixels, why); });
    case Content::Metafile:
        // Metafiles are drawn by their own decoder, within the same pixel bound.
        return checked(metafileComplete(data) ? PictureError::None : PictureError::Truncated, why,
                       [&]() -> std::optional<QImage> {
                           std::optional<QImage> image = decodeMetafile(data, maxPixels);
                           if (!image)
                               return refuse(why, PictureError::Truncated);
                           return image;
                       });
    case Content::Unknown:
        break;
    }
    return refuse(why, PictureError::UnknownFormat);
}

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
