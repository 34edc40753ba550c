#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QSize>

// A small GIF writer for seed pictures, since Qt reads GIF but does not write it.
namespace seeds {

struct GifFrame
{
    QSize size;
    // Colour indices, row by row.
    QList<quint8> pixels;
    // A palette of the frame's own, or none to use the global one.
    QList<QRgb> localPalette;
    bool interlaced = false;
};

// A GIF89a of the frames in turn, each preceded by a graphic control extension. The pixel
// data is coded with a clear code before every pixel, which any decoder reads and which
// keeps the code width fixed.
QByteArray gifOf(const QSize &screen, const QList<QRgb> &globalPalette,
                 const QList<GifFrame> &frames);

} // namespace seeds
