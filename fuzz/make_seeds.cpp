// Writes the seed inputs of the fuzz targets, one folder per target, from the generators the
// tests use: libUEMF for metafiles, Qt's writers for BMP, JPEG and icons, and a small GIF
// writer. Also makes the empty corpus and artifact folders the fuzz tests write into.
//
// make_seeds SEEDS CORPUS ARTIFACTS
#include "gif_writer.h"
#include "support/image_bytes.h"

#include "support/metafile_fixtures.h"

#include <QBuffer>
#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QPainter>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

const QStringList targets = {QStringLiteral("fuzz_channel_text"), QStringLiteral("fuzz_filter"),
                             QStringLiteral("fuzz_metafile"), QStringLiteral("fuzz_picture")};

// Seeds are named by their content, as libFuzzer names the inputs it keeps.
bool writeSeed(const QDir &folder, const QByteArray &data)
{
    const QString name =
        QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
    QFile file(folder.filePath(name));
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray doubleBytes(double value)
{
    QByteArray bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

QList<QByteArray> channelTextSeeds()
{
    QList<QByteArray> seeds = {"0",
                               "255",
                               "256",
                               "007",
                               " 1 2 3 ",
                               "\t12\n",
                               "1.5",
                               "-1.5",
                               "+.5",
                               "5.",
                               "1e3",
                               "1E-3",
                               "2.5e+2",
                               "1e",
                               "1e+",
                               "1e400",
                               "1e-400",
                               "1e4000000000000000000000",
                               "32767",
                               "-32768",
                               "32767.5",
                               "-32768.5",
                               "0.000000000000000000001",
                               "ff",
                               "0FF",
                               "Ff7z",
                               "&H10",
                               "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF",
                               "abc",
                               "-",
                               ".",
                               "e5",
                               "\xef\xbc\x91"};
    seeds += QByteArray(400, '9');
    seeds += "0." + QByteArray(400, '0') + "1";
    for (const double value :
         {0.5, 2.5, 255.5, -0.0, 1e21, 1e-7, 5e-324, 2.2250738585072014e-308,
          std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
        seeds += doubleBytes(value);
    return seeds;
}

QList<QByteArray> filterSeeds()
{
    return {
        QStringLiteral("画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.wmf;*.emf)|*.BMP;*.GIF;*.JPG;"
                       "*.JPEG;*.ICO;*.WMF;*.EMF|全てのファイル(*.*)|*.*")
            .toUtf8(),
        "Text|*.txt", "a|b|c", "||", "|x|", "Any|*.*", "x|  *.TXT ; ;*.a?c |y|", "a|;;;",
        // Source, search and replacement, apart at the bytes 1.
        "aaa\x01"
        "aa\x01"
        "b",
        "abab\x01"
        "ab\x01",
        "x|y\x01|\x01||",
        "abcabc\x01"
        "bc\x01"
        "xbcx",
        // Pattern and name, apart at a NUL, for the letter case check.
        QByteArray("*.bmp\0file.BMP", 14), QByteArray("a?b*\0AXB", 8)};
}


QImage quarters(const QSize &size, QImage::Format format)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor(255, 0, 0, 200));
    QPainter painter(&image);
    painter.fillRect(0, 0, size.width() / 2, size.height() / 2, Qt::blue);
    painter.end();
    return image.convertToFormat(format);
}


void putLe(QByteArray &out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

// A BMP with the old 12-byte core header: 8 x 2 pixels of 1 bit over a palette of two.
QByteArray coreHeaderBmp()
{
    const QByteArray palette("\x00\x00\xFF\xFF\x00\x00", 6);
    const QByteArray pixels("\xA5\x00\x00\x00\x5A\x00\x00\x00", 8);
    QByteArray out("BM");
    putLe(out, 14 + 12 + palette.size() + pixels.size(), 4);
    putLe(out, 0, 4);
    putLe(out, 14 + 12 + palette.size(), 4);
    putLe(out, 12, 4);
    putLe(out, 8, 2);
    putLe(out, 2, 2);
    putLe(out, 1, 2);
    putLe(out, 1, 2);
    return out + palette + pixels;
}

// A run-length BMP of 8 x 4 pixels, 8 or 4 bits, with runs, a literal, a delta and the marks.
QByteArray runLengthBmp(bool fourBit)
{
    const QByteArray palette("\x00\x00\xFF\x00\xFF\x00\x00\x00\x00\xFF\x00\x00", 12);
    const QByteArray runs =
        fourBit ? QByteArray("\x08\x01\x00\x00\x04\x12\x00\x04\x01\x20\x00\x00"
                             "\x00\x02\x02\x00\x00\x00\x08\x22\x00\x01",
                             22)
                : QByteArray("\x08\x01\x00\x00\x00\x04\x00\x01\x02\x00\x04\x01\x00\x00"
                             "\x00\x02\x02\x00\x00\x00\x08\x02\x00\x01",
                             24);
    QByteArray out("BM");
    putLe(out, 14 + 40 + palette.size() + runs.size(), 4);
    putLe(out, 0, 4);
    putLe(out, 14 + 40 + palette.size(), 4);
    putLe(out, 40, 4);
    putLe(out, 8, 4);
    putLe(out, 4, 4);
    putLe(out, 1, 2);
    putLe(out, fourBit ? 4 : 8, 2);
    putLe(out, fourBit ? 2 : 1, 4);
    putLe(out, quint32(runs.size()), 4);
    putLe(out, 2835, 4);
    putLe(out, 2835, 4);
    putLe(out, 3, 4);
    putLe(out, 0, 4);
    return out + palette + runs;
}

QList<QByteArray> gifSeeds()
{
    const QList<QRgb> palette = {qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(0, 255, 0),
                                 qRgb(255, 255, 255)};
    QList<quint8> pixels;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            pixels += quint8((y < 3 ? 0 : 2) + (x < 4 ? 0 : 1));
    seeds::GifFrame first{QSize(8, 6), pixels, {}, false};
    seeds::GifFrame greys{
        QSize(8, 6), pixels, {qRgb(64, 64, 64), qRgb(128, 128, 128), qRgb(192, 192, 192)}, true};
    return {seeds::gifOf(QSize(8, 6), palette, {first}),
            seeds::gifOf(QSize(8, 6), palette, {first, greys}),
            seeds::gifOf(QSize(8, 6), {}, {greys})};
}

QList<QByteArray> pictureSeeds()
{
    const QSize size(12, 10);
    QList<QByteArray> seeds;
    for (const QImage::Format format : {QImage::Format_Mono, QImage::Format_Indexed8,
                                        QImage::Format_RGB32, QImage::Format_ARGB32})
        seeds += encoded(quarters(size, format), "bmp");
    seeds += coreHeaderBmp();
    seeds += runLengthBmp(false);
    seeds += runLengthBmp(true);
    seeds += gifSeeds();
    seeds += encoded(quarters(size, QImage::Format_RGB32), "jpeg", 75);
    seeds += encoded(quarters(QSize(17, 9), QImage::Format_Grayscale8), "jpeg", 20, true);
    seeds += encoded(quarters(QSize(32, 32), QImage::Format_ARGB32), "ico");
    seeds += iconOf({quarters(QSize(16, 16), QImage::Format_ARGB32),
                     quarters(QSize(32, 32), QImage::Format_Indexed8),
                     quarters(QSize(48, 48), QImage::Format_RGB32)});
    return seeds;
}

QList<QByteArray> metafileSeeds()
{
    QList<QByteArray> seeds = {fixtures::emf(), fixtures::placeableWmf(), fixtures::plainWmf()};
    for (const fixtures::Case &c : fixtures::recordCases())
        seeds << c.data;
    return seeds;
}

bool writeSeeds(const QDir &folder, const QList<QByteArray> &seeds)
{
    for (const QByteArray &seed : seeds) {
        // An empty seed means a generator failed.
        if (seed.isEmpty() || !writeSeed(folder, seed))
            return false;
    }
    return true;
}

// A folder made afresh, so that seeds of an older generator do not linger.
bool freshFolder(const QString &path)
{
    QDir folder(path);
    return folder.removeRecursively() && QDir().mkpath(path);
}

} // namespace

int main(int argc, char *argv[])
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_seeds SEEDS CORPUS ARTIFACTS\n");
        return 2;
    }
    const QString seedRoot = QString::fromLocal8Bit(argv[1]);
    const QString corpusRoot = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(QString::fromLocal8Bit(argv[3])))
        return 1;
    for (const QString &target : targets) {
        if (!freshFolder(seedRoot + u'/' + target) || !QDir().mkpath(corpusRoot + u'/' + target))
            return 1;
    }

    const QDir seeds(seedRoot);
    const QList<QByteArray> metafiles = metafileSeeds();
    const bool written = writeSeeds(QDir(seeds.filePath(targets[0])), channelTextSeeds()) &&
                         writeSeeds(QDir(seeds.filePath(targets[1])), filterSeeds()) &&
                         writeSeeds(QDir(seeds.filePath(targets[2])), metafiles) &&
                         writeSeeds(QDir(seeds.filePath(targets[3])), pictureSeeds() + metafiles);
    if (!written) {
        std::fprintf(stderr, "make_seeds: a seed could not be made or written\n");
        return 1;
    }
    return 0;
}
