#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

class QColor;
class QTemporaryDir;

// A tile of two colours side by side, red then blue; its size is a whole number of twips, so
// tiles meet without gaps or overlaps.
constexpr QSize tileSize(24, 16);

// The colour that such tiles show x pixels right of the canvas's left edge.
QColor tileColourAt(int x);

// An image of the given size covered with such tiles from its corner: tiled(tileSize) is one.
QImage tiled(QSize size);

// An opaque image of one colour, as a canvas filled with it is shown.
QImage filled(QSize size, const QColor &colour);

// The bytes of an image file in the given format, as Qt's writers make it; quality and
// progressive scan where the format has them.
QByteArray encoded(const QImage &image, const char *format, int quality = -1,
                   bool progressive = false);

// An icon file holding the given images in that order, made from single-image icons.
QByteArray iconOf(const QList<QImage> &images);

// Writes a file below the folder, making its subfolders; its path, or "" where it failed.
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &data);
