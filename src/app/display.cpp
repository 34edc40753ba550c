#include "app/display.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

#include <cstring>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Connects a fresh socket and closes it; true when something accepted the connection.
bool accepts(int family, int type, const sockaddr *address, socklen_t length)
{
    const int fd = ::socket(family, type | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool connected = ::connect(fd, address, length) == 0;
    ::close(fd);
    return connected;
}

// A local socket by path, or in the abstract namespace when abstract is set.
bool acceptsLocal(const QByteArray &path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.isEmpty() || offset + static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.constData(), static_cast<std::size_t>(path.size()));
    const auto length =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                               static_cast<std::size_t>(path.size()) + (abstract ? 0 : 1));
    return accepts(AF_UNIX, SOCK_STREAM, reinterpret_cast<const sockaddr *>(&address), length);
}

// WAYLAND_DISPLAY names a socket in XDG_RUNTIME_DIR, or gives its whole path. Asked for by
// name, Qt's Wayland platform connects to wayland-0 where WAYLAND_DISPLAY is unset.
bool waylandAnswers(bool askedFor)
{
    QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty() && askedFor)
        name = "wayland-0";
    if (name.isEmpty())
        return false;
    if (name.startsWith('/'))
        return acceptsLocal(name, false);
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    return !runtimeDir.isEmpty() && acceptsLocal(runtimeDir + '/' + name, false);
}

// DISPLAY is [host]:number[.screen]: a local server listens on /tmp/.X11-unix/X<number> (also
// in the abstract namespace), a remote one, or one forwarded by ssh, on TCP port 6000 + number.
bool x11Answers()
{
    static const QRegularExpression form(QStringLiteral("^(.*):(\\d+)(\\.\\d+)?$"));
    const QRegularExpressionMatch match = form.match(QString::fromLocal8Bit(qgetenv("DISPLAY")));
    if (!match.hasMatch())
        return false;
    const QString host = match.captured(1);
    const QString number = match.captured(2);
    if (host.isEmpty() || host == QLatin1String("unix")) {
        const QByteArray path = "/tmp/.X11-unix/X" + number.toLatin1();
        return acceptsLocal(path, true) || acceptsLocal(path, false);
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const QByteArray port = QByteArray::number(6000 + number.toInt());
    if (::getaddrinfo(host.toLocal8Bit().constData(), port.constData(), &hints, &found) != 0)
        return false;
    bool answered = false;
    for (const addrinfo *entry = found; entry && !answered; entry = entry->ai_next)
        answered = accepts(entry->ai_family, entry->ai_socktype, entry->ai_addr, entry->ai_addrlen);
    ::freeaddrinfo(found);
    return answered;
}

} // namespace

bool canReachDisplay(int argc, char *argv[])
{
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            platform = argv[i + 1];
    }
    if (platform.isEmpty())
        return waylandAnswers(false) || x11Answers();
    // Qt tries a list such as "wayland;xcb" in turn and starts on the first that starts.
    for (const QByteArray &name : platform.split(';')) {
        const bool answers = name.startsWith("wayland") ? waylandAnswers(true)
                             : name.startsWith("xcb")   ? x11Answers()
                                                        : !name.isEmpty();
        if (answers)
            return true;
    }
    return false;
}
