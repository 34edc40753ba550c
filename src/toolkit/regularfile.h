#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace toolkit {

// The whole of a regular file of at most maxBytes bytes. Anything else (a folder, a device, a
// pipe) is refused without reading; opening never blocks, since a pipe with no writer would hold
// the window forever. Where there are no bytes, why receives Unreadable, NotRegularFile or
// TooLarge of the caller's reasons (picture::PictureError, fonts::FontError), else None.
template <typename Error>
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes, Error &why);

// A file's name as the log shows it, its control characters escaped: a name holding a line
// break would otherwise write a log line of its own.
QByteArray loggedName(const QString &path);

} // namespace toolkit
