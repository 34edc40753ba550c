#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

class QColor;
class QTemporaryDir;

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
