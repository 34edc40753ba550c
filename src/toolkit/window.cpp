#include "toolkit/window.h"

#include "toolkit/ownframe.h"
#include "toolkit/twips.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QWindow>

namespace toolkit {
namespace {

QMargins frameMargins(const QWidget *window)
{
    // A shown window's widget keeps the frame it saw at its last move or resize, which may be
    // from before the window manager framed it; the native window reads the frame afresh. While
    // the window manager is still building the frame, the native window may measure the client
    // against a frame smaller than itself: a negative side is a frame not known yet.
    if (const QWindow *handle = window->windowHandle(); handle && window->isVisible()) {
        const QMargins margins = handle->frameMargins();
        const bool partial =
            margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0;
        return partial ? QMargins() : margins;
    }
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
// manager has framed it, it is centred again by the frame, once. The frame may come without any
// move or resize of the client area (the window manager frames it where it stands), so every
// event of the native window is an occasion to look.
class CentreWhenFramed : public QObject
{
public:
    static constexpr char name[] = "toolkit_centreWhenFramed";

    explicit CentreWhenFramed(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QLatin1String(name));
        window->installEventFilter(this);
        watchNativeWindow();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show)
            watchNativeWindow();
        if (!m_done && m_window->isVisible() && !frameMargins(m_window).isNull()) {
            // Once only: a later move is the user's or the window manager's own.
            m_done = true;
            m_window->removeEventFilter(this);
            if (m_handle)
                m_handle->removeEventFilter(this);
            deleteLater();
            centreOnScreen(m_window);
        }
        return false;
    }

private:
    void watchNativeWindow()
    {
        QWindow *handle = m_window->windowHandle();
        if (!handle || handle == m_handle)
            return;
        if (m_handle)
            m_handle->removeEventFilter(this);
        m_handle = handle;
        handle->installEventFilter(this);
    }

    QWidget *m_window;
    QPointer<QWindow> m_handle;
    bool m_done = false;
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
    return toTwips(window->contentsRect().height());
}

void setOuterHeightTwips(QWidget *window, double height, const QWidget *frameOf)
{
    const QMargins margins = knownFrameMargins(window, frameOf);
    const int client = toPixels(height) - margins.top() - margins.bottom();
    fixWindowSize(window, QSize(window->width(), client));
}

void centreOnScreen(QWidget *window, const QWidget *frameOf)
{
    // A Wayland compositor places windows itself; a client cannot.
    if (drawsOwnFrame())
        return;
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // A window not shown yet takes its size from its layout only when shown.
    if (QLayout *layout = window->layout(); layout && !window->isVisible())
        layout->activate();
    const QMargins margins = knownFrameMargins(window, frameOf);
    if (margins.isNull() && window->isWindow() &&
        !window->findChild<QObject *>(QLatin1String(CentreWhenFramed::name),
                                      Qt::FindDirectChildrenOnly))
        new CentreWhenFramed(window);
    const QSize outer = window->size().grownBy(margins);
    const QRect area = screen->availableGeometry();
    const QPoint frameTopLeft(area.x() + (area.width() - outer.width()) / 2,
                              area.y() + (area.height() - outer.height()) / 2);
    if (!window->testAttribute(Qt::WA_WState_Created)) {
        // Qt puts the frame there once it makes the native window.
        window->move(frameTopLeft);
        return;
    }
    // QWidget::move adds the frame the widget last saw to reach its client area; that frame may
    // lag behind the one just read, so the client area is placed by the latter.
    const QPoint clientTopLeft = frameTopLeft + QPoint(margins.left(), margins.top());
    window->move(clientTopLeft - (window->geometry().topLeft() - window->pos()));
}

} // namespace toolkit
