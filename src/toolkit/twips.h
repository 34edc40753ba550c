#pragma once

#include <cmath>

class QWidget;

// Positions and sizes of the design are in twips; at 96 dpi 15 twips make one logical
// pixel, and Qt scales logical pixels for high-dpi screens.
namespace toolkit {

inline constexpr int twipsPerPixel = 15;

inline int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}
inline constexpr double toTwips(double pixels)
{
    return pixels * twipsPerPixel;
}

void setTwipsGeometry(QWidget *widget, double left, double top, double width, double height);
void setTwipsLeft(QWidget *widget, double left);
void setTwipsTop(QWidget *widget, double top);
double twipsLeft(const QWidget *widget);
double twipsTop(const QWidget *widget);
double twipsWidth(const QWidget *widget);
double twipsHeight(const QWidget *widget);

} // namespace toolkit
