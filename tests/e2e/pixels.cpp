#include "e2e/pixels.h"

#include <QHash>

#include <cstdlib>

namespace pixels {

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int countNear(const QImage &image, const QRect &area, const QColor &colour, int tolerance)
{
    int count = 0;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (near(image.pixelColor(x, y), colour, tolerance))
                ++count;
        }
    }
    return count;
}

bool allNear(const QImage &image, const QRect &area, const QColor &colour, int tolerance)
{
    const QRect clipped = area & image.rect();
    return clipped == area && !area.isEmpty() &&
           countNear(image, area, colour, tolerance) == area.width() * area.height();
}

QRect inkBounds(const QImage &image, const QRect &area, const QColor &background)
{
    QRect bounds;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (!near(image.pixelColor(x, y), background))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

int inkCount(const QImage &image, const QRect &area, const QColor &background)
{
    return (area & image.rect()).width() * (area & image.rect()).height() -
           countNear(image, area, background);
}

QColor dominantInk(const QImage &image, const QRect &area, const QColor &background)
{
    QHash<QRgb, int> counts;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (!near(colour, background))
                ++counts[colour.rgb()];
        }
    }
    QRgb best = 0;
    int bestCount = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    }
    return bestCount > 0 ? QColor(best) : QColor();
}

int differences(const QImage &before, const QImage &after, const QRect &area)
{
    int count = 0;
    const QRect clipped = area & before.rect() & after.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y))
                ++count;
        }
    }
    return count;
}

} // namespace pixels
