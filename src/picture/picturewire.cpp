#include "picture/picturewire.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace picture {
namespace {

constexpr quint32 mark = 0x31585054; // "TPX1" read as a little-endian number
constexpr qsizetype fieldCount = 6;
constexpr qsizetype headerBytes = fieldCount * 4;

// The formats the program's decoders produce; anything else is refused.
constexpr QImage::Format drawnFormats[] = {
    QImage::Format_Mono,   QImage::Format_MonoLSB,    QImage::Format_Indexed8,
    QImage::Format_RGB32,  QImage::Format_ARGB32,     QImage::Format_ARGB32_Premultiplied,
    QImage::Format_RGB888, QImage::Format_Grayscale8,
};

bool isDrawn(quint32 format)
{
    return std::any_of(std::begin(drawnFormats), std::end(drawnFormats),
                       [&](QImage::Format drawn) { return quint32(drawn) == format; });
}

bool isPalette(QImage::Format format)
{
    return format == QImage::Format_Mono || format == QImage::Format_MonoLSB ||
           format == QImage::Format_Indexed8;
}

} // namespace

bool isWireFormat(QImage::Format format)
{
    return isDrawn(quint32(format));
}

QByteArray pictureHeader(const QImage &image)
{
    const QList<QRgb> colours = image.colorTable();
    const std::array<quint32, fieldCount> fields{
        mark,
        quint32(image.width()),
        quint32(image.height()),
        quint32(image.format()),
        quint32(image.bytesPerLine()),
        quint32(colours.size()),
    };
    QByteArray header(reinterpret_cast<const char *>(fields.data()), headerBytes);
    header.append(reinterpret_cast<const char *>(colours.constData()),
                  colours.size() * qsizetype(sizeof(QRgb)));
    return header;
}

bool PictureReceiver::feed(QByteArrayView data)
{
    while (!m_spoilt && !data.isEmpty()) {
        if (m_image.isNull()) {
            // The header, then the colour table it announces, before the image is made.
            const qsizetype take = std::min(data.size(), m_headBytes - m_head.size());
            m_head.append(data.first(take));
            data = data.sliced(take);
            if (m_head.size() == m_headBytes && !readHead())
                m_spoilt = true;
            continue;
        }
        if (data.size() > m_pixelBytes - m_received) {
            m_spoilt = true;
            break;
        }
        std::memcpy(m_image.bits() + m_received, data.data(), size_t(data.size()));
        m_received += data.size();
        data = {};
    }
    return !m_spoilt;
}

// Called when the bytes asked for so far are in: first the header, which says how long the
// colour table is, then the table too. The image's memory is taken last, and only for a
// picture within the bound.
bool PictureReceiver::readHead()
{
    std::array<quint32, fieldCount> fields{};
    std::memcpy(fields.data(), m_head.constData(), headerBytes);
    const auto [magic, width, height, format, bytesPerLine, colourCount] = fields;
    if (magic != mark || width == 0 || height == 0 || width > 32767 || height > 32767)
        return false;
    if (!isDrawn(format) || qint64(width) * height > m_maxPixels)
        return false;
    const auto imageFormat = static_cast<QImage::Format>(format);
    const quint32 colours = imageFormat == QImage::Format_Indexed8 ? 256 : 2;
    if (isPalette(imageFormat) ? colourCount == 0 || colourCount > colours : colourCount != 0)
        return false;
    // Mono pictures use both of their two colours' indexes.
    if (isPalette(imageFormat) && imageFormat != QImage::Format_Indexed8 && colourCount != 2)
        return false;
    const qsizetype tableBytes = qsizetype(colourCount) * qsizetype(sizeof(QRgb));
    if (m_head.size() < headerBytes + tableBytes) {
        m_headBytes = headerBytes + tableBytes;
        return true;
    }
    QImage image(int(width), int(height), imageFormat);
    if (image.isNull() || quint32(image.bytesPerLine()) != bytesPerLine)
        return false;
    if (colourCount > 0) {
        QList<QRgb> table(colourCount);
        std::memcpy(table.data(), m_head.constData() + headerBytes, size_t(tableBytes));
        image.setColorTable(table);
    }
    m_image = std::move(image);
    m_pixelBytes = m_image.sizeInBytes();
    return true;
}

bool PictureReceiver::palettesInRange() const
{
    if (m_image.format() != QImage::Format_Indexed8)
        return true;
    const int colours = m_image.colorCount();
    for (int y = 0; y < m_image.height(); ++y) {
        const uchar *line = m_image.constScanLine(y);
        if (std::any_of(line, line + m_image.width(),
                        [&](uchar index) { return index >= colours; }))
            return false;
    }
    return true;
}

std::optional<QImage> PictureReceiver::picture() const
{
    if (m_spoilt || m_image.isNull() || m_received != m_pixelBytes || !palettesInRange())
        return std::nullopt;
    return m_image;
}

} // namespace picture
