#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace picture {

// How the decoder process hands a picture back to the window on its standard output: a fixed
// header (a mark, width, height, pixel format, bytes per line, colour count, each a 32-bit
// number in the machine's order, both ends running on the same machine), the colour table,
// then the lines of pixels exactly as QImage holds them.

// Whether the window takes pictures of a pixel format from the decoder; any other is converted
// before it is sent.
bool isWireFormat(QImage::Format format);

// The header and colour table that go before an image's pixel lines.
QByteArray pictureHeader(const QImage &image);

// Reads a picture as it arrives in pieces, trusting nothing in it: the size is checked against
// the pixel bound before any pixel memory is taken, and any byte beyond the picture, a format
// the window does not draw, or a palette index past the colour table spoils it.
class PictureReceiver
{
public:
    explicit PictureReceiver(qint64 maxPixels) : m_maxPixels(maxPixels) {}

    // False once the data has shown itself to be no well-formed picture.
    bool feed(QByteArrayView data);
    // The whole picture, once every byte of it has come and nothing more.
    std::optional<QImage> picture() const;

private:
    bool readHead();
    bool palettesInRange() const;

    qint64 m_maxPixels;
    // What has come of the header and colour table, and how much of them is awaited.
    QByteArray m_head;
    qsizetype m_headBytes = 24;
    QImage m_image;
    qint64 m_pixelBytes = 0;
    qint64 m_received = 0;
    bool m_spoilt = false;
};

} // namespace picture
