#include "gif_writer.h"

#include <algorithm>

namespace seeds {
namespace {

void putLe16(QByteArray &out, int value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

// The exponent n of a colour table of 2^(n+1) entries that holds the palette.
int tableBits(qsizetype colours)
{
    int bits = 0;
    while ((qsizetype(2) << bits) < colours)
        ++bits;
    return bits;
}

void putTable(QByteArray &out, const QList<QRgb> &palette)
{
    const qsizetype entries = qsizetype(2) << tableBits(palette.size());
    for (qsizetype i = 0; i < entries; ++i) {
        const QRgb colour = i < palette.size() ? palette[i] : 0;
        out += char(qRed(colour));
        out += char(qGreen(colour));
        out += char(qBlue(colour));
    }
}

QByteArray lzwCodes(const QList<quint8> &pixels, int minimumCodeSize)
{
    const unsigned clear = 1u << minimumCodeSize;
    const int width = minimumCodeSize + 1;
    QByteArray packed;
    quint32 bitBuffer = 0;
    int bitCount = 0;
    auto put = [&](unsigned code) {
        bitBuffer |= code << bitCount;
        bitCount += width;
        while (bitCount >= 8) {
            packed += char(bitBuffer & 0xFF);
            bitBuffer >>= 8;
            bitCount -= 8;
        }
    };
    for (const quint8 pixel : pixels) {
        put(clear);
        put(pixel);
    }
    put(clear + 1);
    if (bitCount > 0)
        packed += char(bitBuffer & 0xFF);

    QByteArray blocks;
    blocks += char(minimumCodeSize);
    for (qsizetype pos = 0; pos < packed.size(); pos += 255) {
        const QByteArray block = packed.mid(pos, 255);
        blocks += char(block.size());
        blocks += block;
    }
    blocks += char(0);
    return blocks;
}

} // namespace

QByteArray gifOf(const QSize &screen, const QList<QRgb> &globalPalette,
                 const QList<GifFrame> &frames)
{
    QByteArray out("GIF89a");
    putLe16(out, screen.width());
    putLe16(out, screen.height());
    const bool global = !globalPalette.isEmpty();
    out += char((global ? 0x80 : 0) | 0x70 | (global ? tableBits(globalPalette.size()) : 0));
    out += char(0);
    out += char(0);
    if (global)
        putTable(out, globalPalette);

    for (const GifFrame &frame : frames) {
        // Graphic control extension: no disposal, a short delay, no transparency.
        out += QByteArray("\x21\xF9\x04\x04\x0A\x00\x00\x00", 8);
        out += char(0x2C);
        putLe16(out, 0);
        putLe16(out, 0);
        putLe16(out, frame.size.width());
        putLe16(out, frame.size.height());
        const bool local = !frame.localPalette.isEmpty();
        out += char((local ? 0x80 : 0) | (frame.interlaced ? 0x40 : 0) |
                    (local ? tableBits(frame.localPalette.size()) : 0));
        if (local)
            putTable(out, frame.localPalette);
        const qsizetype colours = local ? frame.localPalette.size() : globalPalette.size();
        out += lzwCodes(frame.pixels, std::max(2, tableBits(colours) + 1));
    }
    out += char(0x3B);
    return out;
}

} // namespace seeds
