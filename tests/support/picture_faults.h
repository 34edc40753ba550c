#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// Picture files with the faults found in real files, written here byte by byte, each with what
// it must show: one letter per cell of cell x cell pixels, top line first. R red, G green,
// B blue, Y yellow, '.' fully transparent (the canvas shows through).
struct FaultFixture
{
    const char *name;
    const char *format;
    QByteArray bytes;
    QStringList rows;
    int cell = 1;
    // How far a channel may stray, for lossy formats.
    int tolerance = 0;
};

QList<FaultFixture> faultFixtures();

// The colour a letter stands for; transparent for '.'.
QColor fixtureColour(QChar letter);

// The picture the letters describe, one pixel per letter, ARGB32.
QImage fixtureImage(const QStringList &rows, int cell = 1);

// Where a shown picture differs from what its letters describe: "" or the first cell that
// differs. The picture is compared where it is drawn, at its top left; transparent letters
// expect the colour behind it.
QString fixtureMismatch(const QImage &shown, const FaultFixture &fixture,
                        const QColor &behind = Qt::transparent);

// A BMP in 24 bits a pixel, or in 8 through a palette, stored bottom line first or, with a
// negative height, top line first.
QByteArray bmpFile(const QImage &image, int bits, bool topDown);

// A JPEG of the image with stray bytes between its first two segments, which the decoder
// passes over with a warning.
QByteArray jpegWithStrayBytes(const QImage &image);
