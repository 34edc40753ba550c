#pragma once

#include <QPointer>

#include <cstdint>

class QWidget;

namespace toolkit {

enum MousePointer { Default = 0, Hourglass = 11 };

// One pass of the message pump: every pending event is handled, then control returns.
void processPendingMessages();

void setMousePointer(QWidget *window, int pointer);

// Enables or disables a window with its menu. As in the classic toolkits, a window that is
// enabled again gives the focus back to the control that had it when it was disabled.
void setEnabled(QWidget *window, bool enabled);

// The native handle of a top-level window, and the window of a handle.
std::int32_t hWnd(QWidget *window);
QPointer<QWidget> windowOfHandle(std::int32_t handle);

// Outer size of a top-level window in twips, its frame included. A window that has not been
// shown yet has no known frame; frameOf, if given, lends its frame margins meanwhile.
double outerWidthTwips(const QWidget *window, const QWidget *frameOf = nullptr);
double outerHeightTwips(const QWidget *window, const QWidget *frameOf = nullptr);
// Sets the outer height in twips, keeping the frame: the client area takes the difference.
void setOuterHeightTwips(QWidget *window, double height, const QWidget *frameOf = nullptr);
// Height of the client area in twips.
double scaleHeightTwips(const QWidget *window);

// Places a top-level window so that its outer frame is centred on its screen, also where no
// window manager centres it. Frame margins not yet known are taken from frameOf, if given;
// without either, the window is centred again as soon as the window manager has framed it.
// Where windows draw their own frame (native Wayland), the compositor places them: nothing is
// done.
void centreOnScreen(QWidget *window, const QWidget *frameOf = nullptr);

} // namespace toolkit
