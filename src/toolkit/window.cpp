#include "toolkit/window.h"

#include "toolkit/twips.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QVariant>
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

// The frame of a window not yet shown is unknown (all margins zero); another window's frame
// stands in for it.
QMargins knownFrameMargins(const QWidget *window, const QWidget *frameOf)
{
    const QMargins margins = frameMargins(window);
    if (margins.isNull() && frameOf)
        return frameMargins(frameOf);
    return margins;
}

// A window centred before its frame was known was centred by its client area; once the window
// manager has framed it (the window moves into its frame), it is centred again by the frame.
class CentreWhenFramed : public QObject
{
public:
    static constexpr char name[] = "toolkit_centreWhenFramed";

    explicit CentreWhenFramed(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QLatin1String(name));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (watched == m_window && (type == QEvent::Move || type == QEvent::Resize) &&
            !frameMargins(m_window).isNull()) {
            m_window->removeEventFilter(this);
            deleteLater();
            centreOnScreen(m_window);
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

void processPendingMessages()
{
    QCoreApplication::processEvents();
}

void setEnabled(QWidget *window, bool enabled)
{
    static constexpr char focusKey[] = "toolkit_focusWhileDisabled";
    if (!enabled) {
        if (QWidget *focus = window->focusWidget())
            window->setProperty(focusKey, QVariant::fromValue(QPointer<QWidget>(focus)));
        window->setEnabled(false);
        return;
    }
    window->setEnabled(true);
    const auto focus = window->property(focusKey).value<QPointer<QWidget>>();
    window->setProperty(focusKey, QVariant());
    if (focus && focus->isEnabled())
        focus->setFocus(Qt::OtherFocusReason);
}

// Qt clears the pointer of a disabled window, and start-up shows its hourglass over a window
// disabled for input: the hourglass is also made the application's override pointer while
// the window asks for it, which Qt shows over every window, disabled or not.
void setMousePointer(QWidget *window, int pointer)
{
    static constexpr char overrideKey[] = "toolkit_hourglassOverride";
    const bool overriding = window->property(overrideKey).toBool();
    if (pointer == Hourglass) {
        window->setCursor(Qt::WaitCursor);
        if (!overriding) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            window->setProperty(overrideKey, true);
        }
        return;
    }
    window->unsetCursor();
    if (overriding) {
        QGuiApplication::restoreOverrideCursor();
        window->setProperty(overrideKey, false);
    }
}

std::int32_t hWnd(QWidget *window)
{
    return static_cast<std::int32_t>(window->winId());
}

QPointer<QWidget> windowOfHandle(std::int32_t handle)
{
    if (handle == 0)
        return nullptr;
    return QWidget::find(static_cast<WId>(static_cast<std::uint32_t>(handle)));
}

double outerWidthTwips(const QWidget *window, const QWidget *frameOf)
{
    const QMargins margins = knownFrameMargins(window, frameOf);
    return toTwips(window->width() + margins.left() + margins.right());
}

double outerHeightTwips(const QWidget *window, const QWidget *frameOf)
{
    const QMargins margins = knownFrameMargins(window, frameOf);
    return toTwips(window->height() + margins.top() + margins.bottom());
}

double scaleHeightTwips(const QWidget *window)
{
    return toTwips(window->height());
}

void setOuterHeightTwips(QWidget *window, double height, const QWidget *frameOf)
{
    const QMargins margins = knownFrameMargins(window, frameOf);
    const int client = toPixels(height) - margins.top() - margins.bottom();
    window->setFixedHeight(client);
}

void centreOnScreen(QWidget *window, const QWidget *frameOf)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QMargins margins = knownFrameMargins(window, frameOf);
    if (margins.isNull() && window->isWindow() &&
        !window->findChild<QObject *>(QLatin1String(CentreWhenFramed::name),
                                      Qt::FindDirectChildrenOnly))
        new CentreWhenFramed(window);
    const QSize outer = window->size().grownBy(margins);
    const QRect area = screen->availableGeometry();
    const QPoint frameTopLeft(area.x() + (area.width() - outer.width()) / 2,
                              area.y() + (area.height() - outer.height()) / 2);
    window->move(frameTopLeft);
}

} // namespace toolkit
