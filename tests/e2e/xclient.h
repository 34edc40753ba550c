#pragma once

#include <QImage>
#include <QString>

#include <optional>

// Requests and readings that the command-line X tools do not offer, made over a connection of
// its own to the test's display.
namespace xclient {

// The pointer image the X server shows now, as XFixes reports it.
std::optional<QImage> cursorImage(const QString &display);

// Asks a top-level window to close as a window manager does for its close button: the
// WM_DELETE_WINDOW message of the ICCCM.
bool requestClose(const QString &display, const QString &windowId);

} // namespace xclient
