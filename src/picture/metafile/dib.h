#pragma once

#include <QByteArrayView>
#include <QImage>

#include <optional>

namespace toolkit::metafile {

// A device-independent bitmap turned upright, remembering whether the file stored it
// bottom-up, because source rectangles of bottom-up bitmaps count their rows from the bottom.
struct Dib
{
    QImage image;
    bool bottomUp = true;
};

// The bitmap described by a BITMAPINFO (header and colour table) and its pixel bits, or
// nothing where the header is unknown, the bits are short, or the bitmap has more than
// maxPixels pixels. Colour tables of palette indexes and run-length compression are not read.
std::optional<Dib> decodeDib(QByteArrayView info, QByteArrayView bits, qint64 maxPixels);

// The same for a packed DIB, where the bits follow the colour table directly.
std::optional<Dib> decodePackedDib(QByteArrayView dib, qint64 maxPixels);

} // namespace toolkit::metafile
