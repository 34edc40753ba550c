#include "e2e/xclient.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace xclient {
namespace {

struct Disconnect
{
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

struct Free
{
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, Free>;

std::optional<Connection> connect(const QString &display)
{
    Connection connection(xcb_connect(display.toLocal8Bit().constData(), nullptr));
    if (xcb_connection_has_error(connection.get()))
        return std::nullopt;
    return connection;
}

std::optional<xcb_atom_t> atom(xcb_connection_t *connection, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? std::optional<xcb_atom_t>(reply->atom) : std::nullopt;
}

} // namespace

std::optional<QImage> cursorImage(const QString &display)
{
    const std::optional<Connection> connection = connect(display);
    if (!connection)
        return std::nullopt;
    xcb_connection_t *c = connection->get();
    const Reply<xcb_xfixes_query_version_reply_t> version(
        xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr));
    if (!version)
        return std::nullopt;
    const Reply<xcb_xfixes_get_cursor_image_reply_t> cursor(
        xcb_xfixes_get_cursor_image_reply(c, xcb_xfixes_get_cursor_image(c), nullptr));
    if (!cursor || cursor->width == 0 || cursor->height == 0)
        return std::nullopt;
    // One premultiplied ARGB pixel in each 32-bit word, row after row.
    QImage image(cursor->width, cursor->height, QImage::Format_ARGB32_Premultiplied);
    const std::uint32_t *pixels = xcb_xfixes_get_cursor_image_cursor_image(cursor.get());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), pixels + y * image.width(), 4 * image.width());
    return image;
}

bool requestClose(const QString &display, const QString &windowId)
{
    bool isNumber = false;
    const xcb_window_t window = windowId.toUInt(&isNumber, 0);
    const std::optional<Connection> connection = connect(display);
    if (!isNumber || !connection)
        return false;
    xcb_connection_t *c = connection->get();
    const std::optional<xcb_atom_t> protocols = atom(c, "WM_PROTOCOLS");
    const std::optional<xcb_atom_t> deleteWindow = atom(c, "WM_DELETE_WINDOW");
    if (!protocols || !deleteWindow)
        return false;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = *protocols;
    message.data.data32[0] = *deleteWindow;
    message.data.data32[1] = XCB_CURRENT_TIME;
    const Reply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_send_event_checked(c, 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                    reinterpret_cast<const char *>(&message))));
    return !error;
}

} // namespace xclient
