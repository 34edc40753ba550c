#include "picture/runlengthbmp.h"

#include "picture/bytereader.h"

#include <QList>

#include <algorithm>
#include <cstdlib>

namespace picture {
namespace {

// Places pixels along the lines of the picture, counted from its first line in the file;
// whatever falls outside the picture is dropped.
class Painter
{
public:
    Painter(QImage &image, const QList<QRgb> &colours, bool topDown)
        : m_image(image), m_colours(colours), m_topDown(topDown)
    {
    }

    void put(unsigned index)
    {
        if (m_x < m_image.width() && !done()) {
            const int y = m_topDown ? m_line : m_image.height() - 1 - m_line;
            const QRgb colour =
                index < unsigned(m_colours.size()) ? m_colours[index] : qRgb(0, 0, 0);
            reinterpret_cast<QRgb *>(m_image.scanLine(y))[m_x] = colour;
        }
        ++m_x;
    }
    // How many of the next count pixels land inside the line; the rest need no placing, only
    // passing over.
    unsigned room(unsigned count) const
    {
        return done() ? 0 : unsigned(std::clamp<qint64>(m_image.width() - m_x, 0, count));
    }
    void endLine()
    {
        m_x = 0;
        ++m_line;
    }
    void skip(unsigned right, unsigned down)
    {
        m_x += right;
        m_line += down;
    }
    bool done() const { return m_line >= m_image.height(); }

private:
    QImage &m_image;
    const QList<QRgb> &m_colours;
    bool m_topDown;
    qint64 m_x = 0;
    qint64 m_line = 0;
};

} // namespace

bool isRunLengthBmp(const QByteArray &data)
{
    const ByteReader in(data);
    if (data.size() < 34 || !in.matches(0, "BM") || in.u32(14) < 40)
        return false;
    const quint32 compression = in.u32(30);
    return compression == 1 || compression == 2;
}

std::optional<QImage> decodeRunLengthBmp(const QByteArray &data, qint64 maxPixels,
                                         PictureError *why)
{
    const ByteReader in(data);
    if (data.size() < 54 || !isRunLengthBmp(data))
        return refuse(why, PictureError::Truncated);
    const qint64 offset = in.u32(10);
    const qint64 headerSize = in.u32(14);
    const qint64 width = qint32(in.u32(18));
    const qint64 signedHeight = qint32(in.u32(22));
    const qint64 height = std::abs(signedHeight);
    const unsigned bitCount = in.u16(28);
    const bool fourBit = in.u32(30) == 2;
    if (bitCount != (fourBit ? 4u : 8u) || width <= 0 || height == 0)
        return refuse(why, PictureError::Truncated);
    if (width > 32767 || height > 32767 || width * height > maxPixels)
        return refuse(why, PictureError::TooLarge);

    const qint64 paletteAt = 14 + headerSize;
    const quint32 used = in.u32(46);
    const qint64 maxColours = qint64(1) << bitCount;
    const qint64 colourCount = used == 0 ? maxColours : std::min<qint64>(used, maxColours);
    if (paletteAt + colourCount * 4 > data.size() || offset > data.size())
        return refuse(why, PictureError::Truncated);
    QList<QRgb> colours;
    for (qint64 i = 0; i < colourCount; ++i)
        colours.append(0xFF000000u | (in.u32(paletteAt + 4 * i) & 0xFFFFFFu));

    const qint64 declared = in.u32(34);
    if (declared > 0 && offset + declared > data.size())
        return refuse(why, PictureError::Truncated);
    const qint64 end = declared > 0 ? offset + declared : data.size();

    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull())
        return refuse(why, PictureError::OverMemory);
    image.fill(Qt::transparent);
    Painter painter(image, colours, signedHeight < 0);
    const auto nibble = [fourBit](unsigned byte, qint64 i) {
        return fourBit ? (i % 2 == 0 ? byte >> 4 : byte & 0xF) : byte;
    };

    qint64 pos = offset;
    bool ended = false;
    while (pos + 1 < end && !painter.done()) {
        const unsigned count = in.u8(pos);
        const unsigned value = in.u8(pos + 1);
        pos += 2;
        if (count > 0) {
            const unsigned shown = painter.room(count);
            for (unsigned i = 0; i < shown; ++i)
                painter.put(nibble(value, i));
            painter.skip(count - shown, 0);
        } else if (value == 0) {
            painter.endLine();
        } else if (value == 1) {
            ended = true;
            break;
        } else if (value == 2) {
            if (pos + 1 >= end)
                break;
            painter.skip(in.u8(pos), in.u8(pos + 1));
            pos += 2;
        } else {
            // Literal pixels, padded to a whole number of 16-bit words.
            const qint64 bytes = fourBit ? (value + 1) / 2 : value;
            const unsigned shown = painter.room(value);
            for (unsigned i = 0; i < shown; ++i) {
                const qint64 at = pos + (fourBit ? i / 2 : i);
                if (at >= end)
                    break;
                painter.put(nibble(in.u8(at), i));
            }
            painter.skip(value - shown, 0);
            pos += (bytes + 1) / 2 * 2;
        }
    }
    // Without a declared size, only the end-of-picture mark (or a full picture) shows that
    // the file was not cut short.
    if (declared == 0 && !ended && !painter.done())
        return refuse(why, PictureError::Truncated);
    return image;
}

} // namespace picture
