#include "toolkit/twips.h"

#include <QWidget>

namespace toolkit {

void setTwipsGeometry(QWidget *widget, double left, double top, double width, double height)
{
    widget->setGeometry(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void setTwipsLeft(QWidget *widget, double left)
{
    widget->move(toPixels(left), widget->y());
}
void setTwipsTop(QWidget *widget, double top)
{
    widget->move(widget->x(), toPixels(top));
}
double twipsLeft(const QWidget *widget)
{
    return toTwips(widget->x());
}
double twipsTop(const QWidget *widget)
{
    return toTwips(widget->y());
}
double twipsWidth(const QWidget *widget)
{
    return toTwips(widget->width());
}
double twipsHeight(const QWidget *widget)
{
    return toTwips(widget->height());
}

} // namespace toolkit
