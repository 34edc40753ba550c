#include "picture/metafile/dib.h"

#include "picture/bytereader.h"

#include <QList>
#include <QtEndian>

#include <algorithm>
#include <bit>

namespace picture::metafile {
namespace {

constexpr quint32 biRgb = 0;
constexpr quint32 biRle8 = 1;
constexpr quint32 biRle4 = 2;
constexpr quint32 biBitfields = 3;
constexpr quint32 biJpeg = 4;
constexpr quint32 biPng = 5;
constexpr quint32 biAlphaBitfields = 6;

struct DibHeader
{
    quint32 headerSize = 0;
    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    quint32 compression = biRgb;
    quint32 colorsUsed = 0;
    bool core = false;
};

std::optional<DibHeader> readHeader(const ByteReader &in)
{
    DibHeader h;
    h.headerSize = in.u32(0);
    if (h.headerSize == 12 && in.has(0, 12)) {
        h.core = true;
        h.width = in.u16(4);
        h.height = in.u16(6);
        h.bitCount = in.u16(10);
        return h;
    }
    if (h.headerSize < 40 || !in.has(0, h.headerSize))
        return std::nullopt;
    h.width = in.i32(4);
    h.height = in.i32(8);
    h.bitCount = in.u16(14);
    h.compression = in.u32(16);
    h.colorsUsed = in.u32(32);
    return h;
}

// Where a channel lies in a pixel word, for BI_BITFIELDS and the 16- and 32-bit defaults.
struct Channel
{
    quint32 mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(quint32 m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            bits = std::popcount(m);
        }
    }
    int value(quint32 word) const
    {
        if (!bits)
            return 255;
        const quint32 v = (word & mask) >> shift;
        const quint32 max = bits >= 32 ? 0xffffffffu : ((1u << bits) - 1);
        return static_cast<int>(static_cast<quint64>(v) * 255 / max);
    }
};

std::optional<QImage> unpack(const DibHeader &h, const ByteReader &info, const ByteReader &bits,
                             const QList<QRgb> &palette, bool useAlpha)
{
    const qint64 width = h.width;
    const qint64 height = h.height < 0 ? -h.height : h.height;
    const qint64 stride = ((width * h.bitCount + 31) / 32) * 4;
    if (!bits.has(0, stride * height))
        return std::nullopt;
    QImage image(static_cast<int>(width), static_cast<int>(height),
                 useAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    quint32 masks[4] = {0, 0, 0, 0};
    if (h.bitCount == 16) {
        masks[0] = 0x7c00, masks[1] = 0x03e0, masks[2] = 0x001f;
    } else if (h.bitCount == 32) {
        masks[0] = 0xff0000, masks[1] = 0xff00, masks[2] = 0xff;
    }
    if (h.compression == biBitfields || h.compression == biAlphaBitfields) {
        // The masks sit at the end of a version 2+ header, or just after a plain one.
        const qint64 at = 40;
        for (int i = 0; i < 3; ++i)
            masks[i] = info.u32(at + 4 * i);
        if (h.compression == biAlphaBitfields || h.headerSize >= 56)
            masks[3] = info.u32(at + 12);
    }
    if (useAlpha && h.bitCount == 32 && !masks[3])
        masks[3] = 0xff000000;
    const Channel r(masks[0]), g(masks[1]), b(masks[2]), a(masks[3]);
    const auto colour = [&](int index) {
        return index < palette.size() ? palette[index] : qRgb(0, 0, 0);
    };
    for (qint64 y = 0; y < height; ++y) {
        const qint64 row = h.height < 0 ? y : height - 1 - y;
        const qint64 base = row * stride;
        QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(static_cast<int>(y)));
        for (qint64 x = 0; x < width; ++x) {
            switch (h.bitCount) {
            case 1:
                out[x] = colour((bits.u8(base + x / 8) >> (7 - x % 8)) & 1);
                break;
            case 4:
                out[x] = colour((bits.u8(base + x / 2) >> (x % 2 ? 0 : 4)) & 0x0f);
                break;
            case 8:
                out[x] = colour(bits.u8(base + x));
                break;
            case 24:
                out[x] = qRgb(bits.u8(base + 3 * x + 2), bits.u8(base + 3 * x + 1),
                              bits.u8(base + 3 * x));
                break;
            default: {
                const quint32 word =
                    h.bitCount == 16 ? bits.u16(base + 2 * x) : bits.u32(base + 4 * x);
                out[x] = qRgba(r.value(word), g.value(word), b.value(word),
                               useAlpha ? a.value(word) : 255);
            }
            }
        }
    }
    return image;
}

// Run-length encoded 8- or 4-bit rows, bottom-up: what the runs do not reach stays
// transparent, and a run or a jump past the bitmap's edge ends the decoding there.
QImage unpackRle(const DibHeader &h, const ByteReader &bits, const QList<QRgb> &palette)
{
    const int width = static_cast<int>(h.width), height = static_cast<int>(h.height);
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    const bool four = h.compression == biRle4;
    const auto put = [&](int x, int row, int index) {
        if (x >= 0 && x < width && row >= 0 && row < height)
            image.setPixel(x, height - 1 - row,
                           index < palette.size() ? palette[index] : qRgb(0, 0, 0));
    };
    // Positions may run far past the bitmap in a hostile file; only those inside are drawn.
    qint64 x = 0, row = 0;
    qint64 at = 0;
    while (bits.has(at, 2) && row < height) {
        const int count = bits.u8(at), value = bits.u8(at + 1);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count && x + i < width; ++i)
                put(x + i, row, four ? (i % 2 ? value & 0x0f : value >> 4) : value);
            x += count;
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += bits.u8(at);
            row += bits.u8(at + 1);
            at += 2;
        } else {
            // A literal run, padded to a whole 16-bit word.
            const qint64 bytes = four ? (value + 1) / 2 : value;
            if (!bits.has(at, bytes))
                break;
            for (int i = 0; i < value && x + i < width; ++i) {
                const int byte = bits.u8(at + (four ? i / 2 : i));
                put(x + i, row, four ? (i % 2 ? byte & 0x0f : byte >> 4) : byte);
            }
            x += value;
            at += bytes + (bytes & 1);
        }
    }
    return image;
}

} // namespace

std::optional<Dib> decodeDib(QByteArrayView infoData, QByteArrayView bitsData, qint64 maxPixels,
                             const QList<QRgb> *logicalPalette, bool alpha)
{
    const ByteReader info(infoData);
    const std::optional<DibHeader> h = readHeader(info);
    if (!h || h->width <= 0 || h->height == 0 || h->height == INT32_MIN)
        return std::nullopt;
    const qint64 height = h->height < 0 ? -h->height : h->height;
    if (h->width > 32767 || height > 32767 || h->width * height > maxPixels)
        return std::nullopt;
    if (h->compression == biJpeg || h->compression == biPng) {
        QImage image = QImage::fromData(bitsData);
        if (image.isNull() || qint64(image.width()) * image.height() > maxPixels)
            return std::nullopt;
        return Dib{image, h->height > 0};
    }
    const bool rle = (h->compression == biRle8 && h->bitCount == 8) ||
                     (h->compression == biRle4 && h->bitCount == 4);
    if (h->compression != biRgb && h->compression != biBitfields &&
        h->compression != biAlphaBitfields && !rle)
        return std::nullopt;
    // Run-length rows are always stored bottom-up.
    if (rle && h->height < 0)
        return std::nullopt;
    const int bpp = h->bitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return std::nullopt;
    QList<QRgb> palette;
    if (bpp <= 8) {
        const qint64 count =
            h->colorsUsed && h->colorsUsed < (1u << bpp) ? h->colorsUsed : (1 << bpp);
        const qint64 entry = logicalPalette ? 2 : h->core ? 3 : 4;
        for (qint64 i = 0; i < count; ++i) {
            const qint64 at = h->headerSize + i * entry;
            if (!info.has(at, entry))
                break;
            if (logicalPalette) {
                const quint16 index = info.u16(at);
                palette << (index < logicalPalette->size() ? logicalPalette->at(index)
                                                           : qRgb(0, 0, 0));
            } else {
                palette << qRgb(info.u8(at + 2), info.u8(at + 1), info.u8(at));
            }
        }
    }
    if (rle) {
        QImage image = unpackRle(*h, ByteReader(bitsData), palette);
        if (image.isNull())
            return std::nullopt;
        return Dib{std::move(image), true};
    }
    const bool useAlpha = h->compression == biAlphaBitfields || (alpha && bpp == 32);
    std::optional<QImage> image = unpack(*h, info, ByteReader(bitsData), palette, useAlpha);
    if (!image)
        return std::nullopt;
    // Alpha-blended bitmaps hold their colours premultiplied already.
    if (alpha && bpp == 32 && h->compression == biRgb)
        image->reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    return Dib{std::move(*image), h->height > 0};
}

namespace {

// Where a packed DIB's bits begin, after its header and colour table.
std::optional<qint64> packedBitsAt(QByteArrayView dib, bool paletteIndexes)
{
    const ByteReader in(dib);
    const std::optional<DibHeader> h = readHeader(in);
    if (!h)
        return std::nullopt;
    qint64 tableSize = 0;
    if (h->bitCount <= 8 && h->bitCount > 0) {
        const qint64 count = h->colorsUsed && h->colorsUsed < (1u << h->bitCount)
                                 ? h->colorsUsed
                                 : (1 << h->bitCount);
        tableSize = count * (paletteIndexes ? 2 : h->core ? 3 : 4);
    } else if (h->compression == biBitfields && h->headerSize == 40) {
        tableSize = 12;
    } else if (h->compression == biAlphaBitfields && h->headerSize == 40) {
        tableSize = 16;
    } else if (!h->core) {
        tableSize = qint64(h->colorsUsed) * 4;
    }
    const qint64 bitsAt = h->headerSize + tableSize;
    if (!in.has(bitsAt, 0))
        return std::nullopt;
    return bitsAt;
}

} // namespace

std::optional<Dib> decodePackedDib(QByteArrayView dib, qint64 maxPixels,
                                   const QList<QRgb> *logicalPalette)
{
    const std::optional<qint64> bitsAt = packedBitsAt(dib, logicalPalette);
    if (!bitsAt)
        return std::nullopt;
    return decodeDib(dib.first(*bitsAt), dib.sliced(*bitsAt), maxPixels, logicalPalette);
}

std::optional<Dib> decodeDibBand(QByteArrayView info, QByteArrayView bits, quint32 firstScan,
                                 quint32 scans, qint64 maxPixels, const QList<QRgb> *logicalPalette)
{
    const std::optional<DibHeader> h = readHeader(ByteReader(info));
    if (!h || h->height == 0 || h->height == INT32_MIN)
        return std::nullopt;
    // The band's own header: the whole one with the band's height, keeping its direction.
    const qint64 height = h->height < 0 ? -h->height : h->height;
    if (scans == 0 || firstScan >= height)
        return std::nullopt;
    const qint64 lines = std::min<qint64>(scans, height - firstScan);
    QByteArray bandInfo = info.toByteArray();
    if (h->core) {
        qToLittleEndian(quint16(lines), bandInfo.data() + 6);
    } else {
        qToLittleEndian(qint32(h->height < 0 ? -lines : lines), bandInfo.data() + 8);
    }
    return decodeDib(bandInfo, bits, maxPixels, logicalPalette);
}

std::optional<Dib> decodePackedDibBand(QByteArrayView dib, quint32 firstScan, quint32 scans,
                                       qint64 maxPixels, const QList<QRgb> *logicalPalette)
{
    const std::optional<qint64> bitsAt = packedBitsAt(dib, logicalPalette);
    if (!bitsAt)
        return std::nullopt;
    return decodeDibBand(dib.first(*bitsAt), dib.sliced(*bitsAt), firstScan, scans, maxPixels,
                         logicalPalette);
}

} // namespace picture::metafile
