#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QList>

#include <optional>

namespace picture::metafile {

// A device-independent bitmap turned upright, remembering whether the file stored it
// bottom-up, because the source rectangles of some records count their rows from the bottom
// of a bottom-up bitmap.
struct Dib
{
    QImage image;
    bool bottomUp = true;
};

// The bitmap described by a BITMAPINFO (header and colour table) and its pixel bits, or
// nothing where the header is unknown, the bits are short, or the bitmap has more than
// maxPixels pixels. With a logical palette, the colour table holds 16-bit indexes into it
// (DIB_PAL_COLORS). Pixels that run-length compressed bits skip stay transparent; with
// alpha, 32-bit pixels keep their fourth byte as premultiplied alpha.
std::optional<Dib> decodeDib(QByteArrayView info, QByteArrayView bits, qint64 maxPixels,
                             const QList<QRgb> *logicalPalette = nullptr, bool alpha = false);

// The same for a packed DIB, where the bits follow the colour table directly.
std::optional<Dib> decodePackedDib(QByteArrayView dib, qint64 maxPixels,
                                   const QList<QRgb> *logicalPalette = nullptr);

// A band of scan lines, as SetDIBitsToDevice records them: the header describes the whole
// bitmap, the bits only scans lines from firstScan on (from the bottom of a bottom-up bitmap).
// The band as a bitmap of its own, or nothing where it lies outside the whole one.
std::optional<Dib> decodeDibBand(QByteArrayView info, QByteArrayView bits, quint32 firstScan,
                                 quint32 scans, qint64 maxPixels,
                                 const QList<QRgb> *logicalPalette = nullptr);
std::optional<Dib> decodePackedDibBand(QByteArrayView dib, quint32 firstScan, quint32 scans,
                                       qint64 maxPixels,
                                       const QList<QRgb> *logicalPalette = nullptr);

} // namespace picture::metafile
