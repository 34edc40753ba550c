#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// Pixel measures over screenshots. Text is anti-aliased, so "ink" is any pixel that differs
// clearly from the background it is drawn on.
namespace pixels {

constexpr int defaultTolerance = 24;

bool near(const QColor &a, const QColor &b, int tolerance = defaultTolerance);
// How many pixels of the area are close to the colour.
int countNear(const QImage &image, const QRect &area, const QColor &colour,
              int tolerance = defaultTolerance);
// Whether every pixel of the area is close to the colour.
bool allNear(const QImage &image, const QRect &area, const QColor &colour,
             int tolerance = defaultTolerance);
// The smallest rectangle holding every pixel of the area that is not close to the background;
// empty when there is none.
QRect inkBounds(const QImage &image, const QRect &area, const QColor &background);
int inkCount(const QImage &image, const QRect &area, const QColor &background);
// The most frequent exact colour among the ink pixels: the solid colour of drawn text.
QColor dominantInk(const QImage &image, const QRect &area, const QColor &background);
// How many pixels differ between two screenshots inside the area.
int differences(const QImage &before, const QImage &after, const QRect &area);

} // namespace pixels
