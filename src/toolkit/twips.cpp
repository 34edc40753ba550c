#include "toolkit/twips.h"

#include <QWidget>

namespace toolkit {
namespace {

// Positions are on the parent's client area: in a window that draws its own title bar, that
// starts below it.
QPoint clientOrigin(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    return parent && parent->isWindow() ? parent->contentsRect().topLeft() : QPoint();
}

} // namespace

void setTwipsGeometry(QWidget *widget, double left, double top, double width, double height)
{
    const QPoint origin = clientOrigin(widget);
    widget->setGeometry(origin.x() + toPixels(left), origin.y() + toPixels(top), toPixels(width),
                        toPixels(height));
}

void setTwipsLeft(QWidget *widget, double left)
{
    widget->move(clientOrigin(widget).x() + toPixels(left), widget->y());
}
void setTwipsTop(QWidget *widget, double top)
{
    widget->move(widget->x(), clientOrigin(widget).y() + toPixels(top));
}
double twipsLeft(const QWidget *widget)
{
    return toTwips(widget->x() - clientOrigin(widget).x());
}
double twipsTop(const QWidget *widget)
{
    return toTwips(widget->y() - clientOrigin(widget).y());
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
