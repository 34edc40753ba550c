#include "support/image_bytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>

QByteArray encoded(const QImage &image, const char *format, int quality, bool progressive)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return data;
}

QByteArray iconOf(const QList<QImage> &images)
{
    QByteArray header("\0\0\1\0", 4);
    header += char(images.size());
    header += char(0);
    QByteArray directory;
    QByteArray bodies;
    const qsizetype start = 6 + 16 * images.size();
    for (const QImage &image : images) {
        const QByteArray single = encoded(image, "ico");
        QByteArray entry = single.mid(6, 16);
        const quint32 offset = quint32(start + bodies.size());
        for (int i = 0; i < 4; ++i)
            entry[12 + i] = char(offset >> (8 * i));
        directory += entry;
        bodies += single.mid(6 + 16);
    }
    return header + directory + bodies;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &data)
{
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return QString();
    return path;
}

QImage filled(QSize size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QColor tileColourAt(int x)
{
    return x % tileSize.width() < tileSize.width() / 2 ? QColor(255, 0, 0) : QColor(0, 0, 255);
}

QImage tiled(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y, tileColourAt(x));
    }
    return image;
}
