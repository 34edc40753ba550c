#include "toolkit/window.h"

#include "toolkit/twips.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QWidget>

namespace toolkit {
namespace {

QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

} // namespace

void processPendingMessages() { QCoreApplication::processEvents(); }

void setMousePointer(QWidget *window, int pointer)
{
    if (pointer == Hourglass)
        window->setCursor(Qt::WaitCursor);
    else
        window->unsetCursor();
}

std::int32_t hWnd(QWidget *window) { return static_cast<std::int32_t>(window->winId()); }

QWidget *windowOfHandle(std::int32_t handle)
{
    if (handle == 0)
        return nullptr;
    return QWidget::find(static_cast<WId>(static_cast<std::uint32_t>(handle)));
}

double outerWidthTwips(const QWidget *window) { return toTwips(window->frameGeometry().width()); }
double outerHeightTwips(const QWidget *window) { return toTwips(window->frameGeometry().height()); }
double scaleHeightTwips(const QWidget *window) { return toTwips(window->height()); }

void setOuterHeightTwips(QWidget *window, double height)
{
    const int frame = window->frameGeometry().height() - window->height();
    const int client = toPixels(height) - frame;
    window->setFixedHeight(client);
}

void centreOnScreen(QWidget *window, const QWidget *frameOf)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QMargins margins = frameMargins(window);
    if (margins.isNull() && frameOf)
        margins = frameMargins(frameOf);
    const QSize outer = window->size().grownBy(margins);
    const QRect area = screen->availableGeometry();
    const QPoint frameTopLeft(area.x() + (area.width() - outer.width()) / 2,
                              area.y() + (area.height() - outer.height()) / 2);
    window->move(frameTopLeft);
}

} // namespace toolkit
