#include "toolkit/ownframe.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <array>

namespace toolkit {
namespace {

constexpr int titleHeight = 20;
constexpr int buttonWidth = 16;
constexpr int buttonHeight = 14;
constexpr int buttonGap = 2;
constexpr int iconSize = 16;

enum class Button { None, Minimise, Close };

// The title bar of a window that draws its own frame: the classic caption, active or not, with
// the window's icon and title, a minimise button where the window asked for one and the close
// button. A press on the rest of the bar lets the compositor move the window.
class TitleBar : public QWidget
{
public:
    TitleBar(QWidget *window, bool minimiseButton)
        : QWidget(window), m_window(window), m_minimiseButton(minimiseButton)
    {
        setObjectName(QStringLiteral("toolkit_titleBar"));
        setAttribute(Qt::WA_NoMousePropagation);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(0, 0, window->width(), titleHeight);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window)
            return false;
        switch (event->type()) {
        case QEvent::Resize:
            setGeometry(0, 0, m_window->width(), titleHeight);
            keepSize();
            break;
        case QEvent::WindowStateChange:
            keepSize();
            update();
            break;
        case QEvent::WindowTitleChange:
        case QEvent::WindowIconChange:
        case QEvent::ActivationChange:
            update();
            break;
        default:
            break;
        }
        return false;
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const bool active = m_window->isActiveWindow();
        QLinearGradient caption(0, 0, width(), 0);
        caption.setColorAt(0, active ? QColor(0x00, 0x00, 0x80) : QColor(0x80, 0x80, 0x80));
        caption.setColorAt(1, active ? QColor(0x10, 0x84, 0xd0) : QColor(0xb5, 0xb5, 0xb5));
        painter.fillRect(rect(), caption);

        int textLeft = 4;
        if (const QIcon icon = m_window->windowIcon(); !icon.isNull()) {
            icon.paint(&painter, QRect(2, (titleHeight - iconSize) / 2, iconSize, iconSize));
            textLeft += iconSize + 2;
        }
        QFont font = painter.font();
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(active ? Qt::white : QColor(0xc0, 0xc0, 0xc0));
        const int textRight = buttons().front().first.left() - buttonGap;
        const QRect textArea(textLeft, 0, textRight - textLeft, titleHeight);
        painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(m_window->windowTitle(), Qt::ElideRight,
                                                          textArea.width()));

        for (const auto &[area, button] : buttons()) {
            if (button != Button::None)
                paintButton(painter, area, button);
        }
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        m_pressed = buttonAt(event->position().toPoint());
        if (m_pressed != Button::None) {
            update();
            return;
        }
        if (QWindow *handle = m_window->windowHandle())
            handle->startSystemMove();
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        const Button pressed = m_pressed;
        m_pressed = Button::None;
        update();
        if (event->button() != Qt::LeftButton || pressed == Button::None ||
            buttonAt(event->position().toPoint()) != pressed)
            return;
        if (pressed == Button::Close)
            m_window->close();
        else
            m_window->showMinimized();
    }

private:
    // The buttons from the right: close, then minimise where the flags ask for it; a window
    // without a minimise button leaves its place to the title.
    std::array<std::pair<QRect, Button>, 2> buttons() const
    {
        const int top = (titleHeight - buttonHeight) / 2;
        const QRect close(width() - 2 - buttonWidth, top, buttonWidth, buttonHeight);
        const QRect minimise = close.translated(-buttonWidth - buttonGap, 0);
        if (m_minimiseButton)
            return {{{minimise, Button::Minimise}, {close, Button::Close}}};
        return {{{close, Button::None}, {close, Button::Close}}};
    }

    Button buttonAt(const QPoint &position) const
    {
        for (const auto &[area, button] : buttons()) {
            if (button != Button::None && area.contains(position))
                return button;
        }
        return Button::None;
    }

    void paintButton(QPainter &painter, const QRect &area, Button button) const
    {
        const bool sunken = m_pressed == button;
        painter.fillRect(area, QColor(0xc0, 0xc0, 0xc0));
        const QColor light = sunken ? QColor(0x40, 0x40, 0x40) : Qt::white;
        const QColor dark = sunken ? Qt::white : QColor(0x40, 0x40, 0x40);
        painter.setPen(light);
        painter.drawLine(area.topLeft(), area.topRight() - QPoint(1, 0));
        painter.drawLine(area.topLeft(), area.bottomLeft() - QPoint(0, 1));
        painter.setPen(dark);
        painter.drawLine(area.bottomLeft(), area.bottomRight());
        painter.drawLine(area.topRight(), area.bottomRight());
        const QPoint shift = sunken ? QPoint(1, 1) : QPoint();
        const QRect glyph = area.adjusted(4, 3, -5, -4).translated(shift);
        painter.setPen(QPen(Qt::black, 2));
        if (button == Button::Close) {
            painter.drawLine(glyph.topLeft(), glyph.bottomRight());
            painter.drawLine(glyph.bottomLeft(), glyph.topRight());
        } else {
            painter.drawLine(glyph.bottomLeft(), glyph.bottomRight());
        }
    }

    // A window that is neither maximised nor full-screen has the size it was given.
    void keepSize()
    {
        if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return;
        if (m_window->size() != m_window->minimumSize())
            m_window->resize(m_window->minimumSize());
    }

    QWidget *m_window;
    bool m_minimiseButton;
    Button m_pressed = Button::None;
};

} // namespace

bool drawsOwnFrame()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void useOwnFrame(QWidget *window)
{
    if (!drawsOwnFrame() || !window->isWindow())
        return;
    // Qt drops the frameless hint while any button hint stays: the buttons the window asked for
    // are now the title bar's.
    const bool minimiseButton = window->windowFlags() & Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(window->windowType() | Qt::FramelessWindowHint);
    window->setContentsMargins(0, titleHeight, 0, 0);
    new TitleBar(window, minimiseButton);
}

void fixWindowSize(QWidget *window, const QSize &size)
{
    if (!drawsOwnFrame()) {
        window->setFixedSize(size);
        return;
    }
    window->setMinimumSize(size);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (!(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        window->resize(size);
}

} // namespace toolkit
