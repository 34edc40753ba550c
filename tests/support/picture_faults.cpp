#include "support/picture_faults.h"

#include "support/image_bytes.h"

#include <QHash>

#include <cstdlib>

namespace {

const QList<QRgb> letters{qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255), qRgb(255, 255, 0)};
const QString letterNames = QStringLiteral("RGBY");

void le(QByteArray &data, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        data += char(value >> (8 * i));
}

// File header, 40-byte info header and palette of a BMP whose pixel data follows.
QByteArray bmpHead(int width, int height, int bits, quint32 compression, const QList<QRgb> &palette,
                   quint32 dataBytes)
{
    const quint32 offset = 14 + 40 + quint32(palette.size()) * 4;
    QByteArray data("BM", 2);
    le(data, offset + dataBytes, 4), le(data, 0, 4), le(data, offset, 4);
    le(data, 40, 4), le(data, quint32(width), 4), le(data, quint32(height), 4);
    le(data, 1, 2), le(data, quint32(bits), 2), le(data, compression, 4), le(data, dataBytes, 4);
    le(data, 2835, 4), le(data, 2835, 4), le(data, quint32(palette.size()), 4), le(data, 0, 4);
    for (QRgb colour : palette)
        le(data, colour & 0xFFFFFF, 4);
    return data;
}

// A run-length BMP of the given runs, in the four letter colours; with declared false its
// header gives no data size, so only an end-of-picture mark ends the runs.
QByteArray runLength(int width, int height, bool fourBit, const QByteArray &runs,
                     bool declared = true)
{
    return bmpHead(width, height, fourBit ? 4 : 8, fourBit ? 2 : 1, letters,
                   declared ? quint32(runs.size()) : 0) +
           runs;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray data;
    for (int value : values)
        data += char(value);
    return data;
}

} // namespace

QColor fixtureColour(QChar letter)
{
    const qsizetype index = letterNames.indexOf(letter);
    return index < 0 ? QColor(Qt::transparent) : QColor(letters[index]);
}

QImage fixtureImage(const QStringList &rows, int cell)
{
    QImage image(int(rows.value(0).size()) * cell, int(rows.size()) * cell, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, fixtureColour(rows[y / cell][x / cell]));
    }
    return image;
}

QString fixtureMismatch(const QImage &shown, const FaultFixture &fixture, const QColor &behind)
{
    const QImage image = shown.convertToFormat(QImage::Format_ARGB32);
    for (int row = 0; row < fixture.rows.size(); ++row) {
        for (int column = 0; column < fixture.rows[row].size(); ++column) {
            const QChar letter = fixture.rows[row][column];
            const QColor want = letter == u'.' ? behind : fixtureColour(letter);
            const QPoint at(column * fixture.cell + fixture.cell / 2,
                            row * fixture.cell + fixture.cell / 2);
            const QColor got = image.valid(at) ? image.pixelColor(at) : QColor();
            const auto near = [&](int a, int b) { return std::abs(a - b) <= fixture.tolerance; };
            if (!got.isValid() || !near(got.red(), want.red()) ||
                !near(got.green(), want.green()) || !near(got.blue(), want.blue()) ||
                got.alpha() != want.alpha())
                return QStringLiteral("cell %1,%2 is %3, not %4")
                    .arg(column)
                    .arg(row)
                    .arg(got.name(QColor::HexArgb), want.name(QColor::HexArgb));
        }
    }
    return QString();
}

QByteArray bmpFile(const QImage &image, int bits, bool topDown)
{
    const int rowBytes = (image.width() * bits + 31) / 32 * 4;
    const QList<QRgb> palette = bits == 8 ? letters : QList<QRgb>();
    QByteArray pixels;
    for (int line = 0; line < image.height(); ++line) {
        const int y = topDown ? line : image.height() - 1 - line;
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = image.pixel(x, y);
            if (bits == 8)
                row += char(std::max<qsizetype>(0, palette.indexOf(colour | 0xFF000000)));
            else
                le(row, colour & 0xFFFFFF, 3);
        }
        pixels += row + QByteArray(rowBytes - row.size(), '\0');
    }
    return bmpHead(image.width(), topDown ? -image.height() : image.height(), bits, 0, palette,
                   quint32(pixels.size())) +
           pixels;
}

QByteArray jpegWithStrayBytes(const QImage &image)
{
    QByteArray data = encoded(image, "jpeg", 95);
    // After the start-of-image marker and the first segment.
    const qsizetype first = 4 + ((quint8(data[4]) << 8) | quint8(data[5]));
    data.insert(first, QByteArray("\x00\x13\x37stray", 8));
    return data;
}

QList<FaultFixture> faultFixtures()
{
    const QStringList blocks{QStringLiteral("RB"), QStringLiteral("GY")};
    const QStringList rows{QStringLiteral("RGBY"), QStringLiteral("YBGR"), QStringLiteral("RRGG")};
    QList<FaultFixture> fixtures{
        {"bmp top-down, 24 bits", "bmp", bmpFile(fixtureImage(rows), 24, true), rows},
        {"bmp top-down, palette", "bmp", bmpFile(fixtureImage(rows), 8, true), rows},
        {"bmp bottom-up, palette", "bmp", bmpFile(fixtureImage(rows), 8, false), rows},
        // Run-length pictures: runs fill lines from the bottom one up.
        {"rle8 complete",
         "bmp",
         runLength(4, 2, false, bytes({4, 0, 0, 0, 2, 2, 2, 3, 0, 1})),
         {QStringLiteral("BBYY"), QStringLiteral("RRRR")}},
        {"rle8 early end of picture",
         "bmp",
         runLength(4, 3, false, bytes({4, 0, 0, 1})),
         {QStringLiteral("...."), QStringLiteral("...."), QStringLiteral("RRRR")}},
        {"rle8 early end of lines",
         "bmp",
         runLength(4, 3, false, bytes({1, 1, 0, 0, 2, 2, 0, 0, 3, 3, 0, 1})),
         {QStringLiteral("YYY."), QStringLiteral("BB.."), QStringLiteral("G...")}},
        {"rle8 delta",
         "bmp",
         runLength(4, 3, false, bytes({1, 0, 0, 2, 2, 1, 1, 2, 0, 1})),
         {QStringLiteral("...."), QStringLiteral("...B"), QStringLiteral("R...")}},
        {"rle8 literal run",
         "bmp",
         runLength(4, 1, false, bytes({0, 3, 3, 2, 1, 0, 1, 0, 0, 1})),
         {QStringLiteral("YBGR")}},
        {"rle8 data cut short",
         "bmp",
         runLength(4, 3, false, bytes({4, 2, 0, 0, 2, 1})),
         {QStringLiteral("...."), QStringLiteral("GG.."), QStringLiteral("BBBB")}},
        {"rle8 runs past the right edge",
         "bmp",
         runLength(2, 2, false, bytes({5, 0, 0, 0, 1, 3, 0, 1})),
         {QStringLiteral("Y."), QStringLiteral("RR")}},
        {"rle4 runs and literal",
         "bmp",
         runLength(4, 2, true, bytes({4, 0x12, 0, 0, 0, 3, 0x30, 0x10, 0, 1})),
         {QStringLiteral("YRG."), QStringLiteral("GBGB")}},
        {"rle4 early end of picture",
         "bmp",
         runLength(3, 2, true, bytes({2, 0x33, 0, 1})),
         {QStringLiteral("..."), QStringLiteral("YY.")}},
        {"jpeg stray bytes between segments", "jpeg", jpegWithStrayBytes(fixtureImage(blocks, 16)),
         blocks, 16, 40},
    };
    return fixtures;
}
