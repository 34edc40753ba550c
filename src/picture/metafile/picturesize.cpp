#include "picture/metafile/picturesize.h"

#include <cmath>

namespace picture::metafile {
namespace {

// QPainter works in 16-bit-safe device coordinates on raster images.
constexpr double maxSide = 32767;
constexpr int dotsPerMetreAt96Dpi = 3780;

} // namespace

std::optional<QSize> pictureSize(double widthInches, double heightInches, qint64 maxPixels,
                                 PictureError *why)
{
    if (!(widthInches > 0) || !(heightInches > 0))
        return std::nullopt;
    const double width = std::max(1.0, std::round(widthInches * 96));
    const double height = std::max(1.0, std::round(heightInches * 96));
    if (width > maxSide || height > maxSide || width * height > double(maxPixels)) {
        if (why)
            *why = PictureError::TooLarge;
        return std::nullopt;
    }
    return QSize(static_cast<int>(width), static_cast<int>(height));
}

QImage blankPicture(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);
    image.setDotsPerMeterX(dotsPerMetreAt96Dpi);
    image.setDotsPerMeterY(dotsPerMetreAt96Dpi);
    return image;
}

} // namespace picture::metafile
