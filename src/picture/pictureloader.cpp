#include "picture/pictureloader.h"

#include "picture/bytereader.h"
#include "picture/metafile/metafile.h"
#include "picture/picturewire.h"
#include "picture/runlengthbmp.h"
#include "picture/sniffer.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <cstdlib>

namespace picture {
namespace {

// The compression values of a BMP whose pixels are a JPEG or a PNG file.
constexpr quint32 biJpeg = 4;
constexpr quint32 biPng = 5;

// Qt's decoders hand back what they could read of a file cut short, with the rest filled in;
// these checks make sure the pixel data of the picture is there in full before decoding, and
// that the picture keeps within the pixel bound. Each gives the reason to refuse, or None.

PictureError bmpCheck(const ByteReader &in, qint64 maxPixels)
{
    if (in.size() < 26)
        return PictureError::Truncated;
    const qint64 offset = in.u32(10);
    const quint32 headerSize = in.u32(14);
    if (headerSize == 12) {
        const qint64 width = in.u16(18);
        const qint64 height = in.u16(20);
        if (width * height > maxPixels)
            return PictureError::TooLarge;
        const qint64 rowBytes = (width * in.u16(24) + 31) / 32 * 4;
        return offset + rowBytes * height <= in.size() ? PictureError::None
                                                       : PictureError::Truncated;
    }
    if (in.size() < 38)
        return PictureError::Truncated;
    // A negative height marks a picture stored from its top line down.
    const qint64 width = qint32(in.u32(18));
    const qint64 height = std::abs(qint64(qint32(in.u32(22))));
    const qint64 bitCount = in.u16(28);
    // Pixels held as a whole JPEG or PNG file (run-length coded 24-bit ones under an OS/2
    // header), 2 bits a pixel (Windows CE) and 16 bits a channel are variants that Qt's reader
    // does not decode, however intact the file.
    const quint32 compression = in.u32(30);
    if (compression == biJpeg || compression == biPng || bitCount == 2 || bitCount == 64)
        return PictureError::Unsupported;
    if (width <= 0)
        return PictureError::Truncated;
    if (width * height > maxPixels)
        return PictureError::TooLarge;
    const qint64 rowBytes = (width * bitCount + 31) / 32 * 4;
    return offset + rowBytes * height <= in.size() ? PictureError::None : PictureError::Truncated;
}

// Skips a run of GIF sub-blocks; the position after its terminator, or nothing.
std::optional<qint64> skipSubBlocks(const ByteReader &in, qint64 pos)
{
    while (pos < in.size()) {
        const unsigned length = in.u8(pos);
        pos += 1 + length;
        if (length == 0)
            return pos;
    }
    return std::nullopt;
}

// The first frame's data must be there to its end, and the frame must fit the pixel bound.
PictureError gifCheck(const ByteReader &in, qint64 maxPixels)
{
    if (in.size() < 13)
        return PictureError::Truncated;
    const qint64 screenWidth = in.u16(6);
    const qint64 screenHeight = in.u16(8);
    const unsigned packed = in.u8(10);
    qint64 pos = 13 + ((packed & 0x80) ? 3 * (2 << (packed & 7)) : 0);
    while (pos < in.size()) {
        const unsigned block = in.u8(pos);
        if (block == 0x21) {
            const std::optional<qint64> next = skipSubBlocks(in, pos + 2);
            if (!next)
                return PictureError::Truncated;
            pos = *next;
        } else if (block == 0x2C) {
            if (pos + 10 > in.size())
                return PictureError::Truncated;
            const qint64 right = in.u16(pos + 1) + in.u16(pos + 5);
            const qint64 bottom = in.u16(pos + 3) + in.u16(pos + 7);
            if (std::max(right, screenWidth) * std::max(bottom, screenHeight) > maxPixels)
                return PictureError::TooLarge;
            const unsigned local = in.u8(pos + 9);
            pos += 10 + ((local & 0x80) ? 3 * (2 << (local & 7)) : 0) + 1;
            return skipSubBlocks(in, pos) ? PictureError::None : PictureError::Truncated;
        } else {
            return PictureError::Truncated;
        }
    }
    return PictureError::Truncated;
}

// Every image of an icon lies inside the file and declares a size within the bound, in its
// own header (a PNG's IHDR or a bitmap's info header, whose height counts the mask too), not
// only in the directory, which cannot say more than 256 x 256.
PictureError iconCheck(const ByteReader &in, qint64 maxPixels)
{
    if (in.size() < 6)
        return PictureError::Truncated;
    const qint64 count = in.u16(4);
    if (count == 0 || 6 + count * 16 > in.size())
        return PictureError::Truncated;
    for (qint64 i = 0; i < count; ++i) {
        const qint64 entry = 6 + i * 16;
        const qint64 bytes = in.u32(entry + 8);
        const qint64 at = in.u32(entry + 12);
        if (at + bytes > in.size() || bytes < 24)
            return PictureError::Truncated;
        qint64 width = 0;
        qint64 height = 0;
        if (in.matches(at, "\x89PNG\r\n\x1A\n")) {
            width = in.u32be(at + 16);
            height = in.u32be(at + 20);
        } else {
            width = qint32(in.u32(at + 4));
            height = std::abs(qint64(qint32(in.u32(at + 8)))) / 2;
        }
        if (width <= 0 || height < 0)
            return PictureError::Truncated;
        // A PNG's sides are each up to 2^32 - 1, whose product no qint64 holds.
        if (height > 0 && width > maxPixels / height)
            return PictureError::TooLarge;
    }
    return PictureError::None;
}

// The metafile decoder draws as much of a file as there is; a file shorter than its header
// says it is has been cut short and is refused like any other cut picture. An EMF's header
// gives its length in bytes, a WMF's (after the placeable header, where there is one) in
// 16-bit words.
bool metafileComplete(const ByteReader &in, PictureFormat format)
{
    if (format == PictureFormat::Emf)
        return in.has(0, 52) && in.u32(48) <= quint32(in.size());
    const qint64 header = in.u32(0) == wmfPlaceableKey ? wmfPlaceableSize : 0;
    if (!in.has(header, 10))
        return false;
    // Writers differ on whether the placeable header counts; the more lenient reading is taken.
    return qint64(in.u32(header + 6)) * 2 <= in.size();
}

// Follows the segments and the entropy-coded scans to the end-of-image marker; a file that
// ends before it has been cut short. Stray bytes between segments are passed over, as the
// decoder passes over them with a warning. Every frame header on the way must keep within the
// pixel bound.
PictureError jpegCheck(const ByteReader &in, qint64 maxPixels)
{
    qint64 pos = 2;
    const qint64 size = in.size();
    while (pos + 1 < size) {
        if (in.u8(pos) != 0xFF) {
            ++pos;
            continue;
        }
        const unsigned marker = in.u8(pos + 1);
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
        const qint64 length = in.u16be(pos);
        if (length < 2)
            return PictureError::Truncated;
        // Start of frame, of any kind: precision, then height and width.
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && pos + 7 > size)
            return PictureError::Truncated;
        // libjpeg as Qt has it reads 8-bit samples, and neither lossless nor hierarchical
        // (differential) frames.
        const bool unread = marker == 0xC3 || (marker >= 0xC5 && marker <= 0xC7) ||
                            marker == 0xCB || marker >= 0xCD;
        if (frame && (in.u8(pos + 2) != 8 || unread))
            return PictureError::Unsupported;
        if (frame && qint64(in.u16be(pos + 3)) * in.u16be(pos + 5) > maxPixels)
            return PictureError::TooLarge;
        pos += length;
        if (marker != 0xDA)
            continue;
        // Scan data: a 0xFF in it is followed by a stuffed zero or a restart marker.
        while (pos + 1 < size) {
            if (in.u8(pos) == 0xFF) {
                const unsigned next = in.u8(pos + 1);
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

// A picture as the window takes it from the decoder. Qt's readers keep a palette as short as
// the file's, whose pixels may still point past it: the entries left out are black, as common
// decoders show them. Pixels of 16 bits a channel (a PNG inside an icon) come in 8.
QImage drawable(QImage image)
{
    if (!isWireFormat(image.format()))
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                             : QImage::Format_RGB32);
    const QImage::Format format = image.format();
    const bool mono = format == QImage::Format_Mono || format == QImage::Format_MonoLSB;
    const int colours = mono ? 2 : 256;
    if ((mono || format == QImage::Format_Indexed8) && image.colorCount() < colours) {
        QList<QRgb> table = image.colorTable();
        table.resize(colours, qRgb(0, 0, 0));
        image.setColorTable(table);
    }
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

// The content, never the file's name, decides how it is read.
std::optional<QImage> decodeByContent(const QByteArray &data, qint64 maxPixels, PictureError *why)
{
    const ByteReader in(data);
    switch (const PictureFormat format = pictureFormatOf(data)) {
    case PictureFormat::Bmp:
        // Qt's reader leaves the pixels that run-length data skips uninitialised.
        if (isRunLengthBmp(data))
            return decodeRunLengthBmp(data, maxPixels, why);
        return checked(bmpCheck(in, maxPixels), why,
                       [&] { return decodeRaster(data, "bmp", maxPixels, why); });
    case PictureFormat::Gif:
        return checked(gifCheck(in, maxPixels), why,
                       [&] { return decodeRaster(data, "gif", maxPixels, why); });
    case PictureFormat::Jpeg:
        return checked(jpegCheck(in, maxPixels), why,
                       [&] { return decodeRaster(data, "jpeg", maxPixels, why); });
    case PictureFormat::Icon:
        return checked(iconCheck(in, maxPixels), why,
                       [&] { return decodeIcon(data, maxPixels, why); });
    case PictureFormat::Wmf:
    case PictureFormat::Emf:
        // Metafiles are drawn by their own decoder, within the same pixel bound.
        return checked(metafileComplete(in, format) ? PictureError::None : PictureError::Truncated,
                       why, [&] { return decodeMetafile(data, maxPixels, why); });
    case PictureFormat::Unknown:
        break;
    }
    return refuse(why, PictureError::UnknownFormat);
}

} // namespace

std::optional<QImage> decodePicture(const QByteArray &data, qint64 maxPixels, PictureError *why)
{
    if (why)
        *why = PictureError::None;
    std::optional<QImage> image = decodeByContent(data, maxPixels, why);
    if (image)
        *image = drawable(std::move(*image));
    return image;
}

} // namespace picture
