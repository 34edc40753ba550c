#pragma once

class QSize;
class QWidget;

// Where no window manager frames the windows (native Wayland, where Qt would draw a title bar
// with minimise, maximise and close whatever the window allows), each top-level window draws
// its own: a title bar with the icon, the title and only the buttons its flags ask for. The
// client area starts below it (the window's contents rectangle).
namespace toolkit {

// Whether this run's windows draw their own frame.
bool drawsOwnFrame();

// Gives a top-level window its own title bar, where windows draw their own frame; elsewhere
// does nothing. Call once, after the window's flags are set and before it is shown.
void useOwnFrame(QWidget *window);

// Keeps a top-level window at a size, its own title bar included. A window manager's frame
// holds it fixed. On a frame of its own the size is the least, and a compositor that maximises
// the window anyway (weston does, whatever the size hints say, and ends a client whose next
// frame has another size) gets the size it configured: the window grows, its client area stays
// as it is, and the window takes its size back once it is neither maximised nor full-screen.
void fixWindowSize(QWidget *window, const QSize &size);

} // namespace toolkit
