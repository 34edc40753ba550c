#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

// The picture files committed under tests/data/<format>/, each beside a PNG of the picture it
// shows; a file named *.refused.* is one the loader must refuse.

QString testDataPath(const QString &relative);
QByteArray testData(const QString &relative);

// The picture files of the given format folders (of all where none are given), relative to
// tests/data, sorted; never the PNGs, nor the descriptions that metafiles are written from.
QStringList testPictures(const QStringList &formats = {});

bool meantToBeRefused(const QString &relative);

// The PNG beside a picture file: what it must show.
QImage expectedPicture(const QString &relative);

// Where a shown picture differs from the expected one drawn over the colour behind it at its top
// left, by more than the tolerance in any channel: "" or the first pixel that differs.
QString pictureMismatch(const QImage &shown, const QImage &expected,
                        const QColor &behind = Qt::transparent, int tolerance = 0);
