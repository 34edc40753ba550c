// Times a program's start from the outside, on the X server it draws on.
//
//   startup_probe [--first FIRST_TITLE] TITLE PROGRAM [ARGUMENTS...]
//
// Starts PROGRAM and prints one line, "<milliseconds> <peak resident kilobytes> <cpu
// milliseconds> <width> <height> <first milliseconds>": the time from just before the fork to
// the moment the program, showing a mapped window titled TITLE, answers a message sent to that
// window through its event loop, and the program's peak resident memory and processor time up
// to then, and the window's size. The answer is a _NET_WM_PING, which the toolkit replies to
// only from its event loop: a program still busy in its start-up code (listing fonts, enabling
// its window) cannot answer, so the time covers all of it. The last figure is the time to the
// first drawing into a mapped window titled FIRST_TITLE (or TITLE), as the X server's damage
// reports show it: the first window the user sees with something in it (it may come after the
// answer, as a toolkit can answer before it draws a window it has just mapped). The program is
// then killed. Exit status 1 and a message on stderr when the window does not come within a minute.
//
// No window manager is needed; the probe watches the root window's children itself.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

struct WindowState
{
    bool mapped = false;
    bool titled = false;
    bool firstTitled = false;
    bool pinged = false;
};

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

class Probe
{
public:
    Probe(xcb_connection_t *connection, const std::string &title, const std::string &firstTitle)
        : m_connection(connection), m_title(title), m_firstTitle(firstTitle),
          m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
          m_netWmName(atom(connection, "_NET_WM_NAME")),
          m_utf8String(atom(connection, "UTF8_STRING")),
          m_wmProtocols(atom(connection, "WM_PROTOCOLS")),
          m_netWmPing(atom(connection, "_NET_WM_PING"))
    {
        // Qt sends its answer to a ping to the root window's structure listeners.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        const xcb_query_extension_reply_t *damage =
            xcb_get_extension_data(connection, &xcb_damage_id);
        if (damage && damage->present) {
            m_damageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
            std::free(xcb_damage_query_version_reply(
                connection,
                xcb_damage_query_version(connection, XCB_DAMAGE_MAJOR_VERSION,
                                         XCB_DAMAGE_MINOR_VERSION),
                nullptr));
        }
        xcb_flush(m_connection);
    }

    bool measuresDrawing() const { return m_damageEvent != 0; }

    // When a mapped window with either title was first drawn into, if it was.
    std::optional<Clock::time_point> firstDrawn() const { return m_firstDrawn; }

    // True once the window has answered the ping.
    bool handle(xcb_generic_event_t *event)
    {
        if (m_damageEvent && (event->response_type & 0x7f) == m_damageEvent) {
            const auto *damage = reinterpret_cast<xcb_damage_notify_event_t *>(event);
            const auto window = m_windows.find(damage->drawable);
            if (!m_firstDrawn && window != m_windows.end() && window->second.mapped &&
                (window->second.titled || window->second.firstTitled))
                m_firstDrawn = Clock::now();
            return false;
        }
        switch (event->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY: {
            const auto *create = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (create->parent == m_root)
                watch(create->window);
            return false;
        }
        case XCB_MAP_NOTIFY: {
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (m_windows.count(map->window)) {
                m_windows[map->window].mapped = true;
                pingWhenReady(map->window);
            }
            return false;
        }
        case XCB_PROPERTY_NOTIFY: {
            const auto *property = reinterpret_cast<xcb_property_notify_event_t *>(event);
            if (property->atom == m_netWmName && m_windows.count(property->window)) {
                m_windows[property->window].titled = hasTitle(property->window, m_title);
                m_windows[property->window].firstTitled = hasTitle(property->window, m_firstTitle);
                pingWhenReady(property->window);
            }
            return false;
        }
        case XCB_CLIENT_MESSAGE: {
            const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event);
            const xcb_window_t window = message->data.data32[2];
            if (message->type != m_wmProtocols || message->data.data32[0] != m_netWmPing ||
                !m_windows.count(window) || !m_windows[window].pinged)
                return false;
            m_answered = window;
            return true;
        }
        default:
            return false;
        }
    }

    // The size of the window that answered, in pixels.
    std::pair<int, int> answeredSize()
    {
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_answered),
                                   nullptr),
            &std::free);
        if (!geometry)
            return {0, 0};
        return {geometry->width, geometry->height};
    }

private:
    // Events are asked for before the state is read, so no change can fall between the two.
    void watch(xcb_window_t window)
    {
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        WindowState &state = m_windows[window];
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
            xcb_get_window_attributes_reply(
                m_connection, xcb_get_window_attributes(m_connection, window), nullptr),
            &std::free);
        state.mapped = attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
        state.titled = hasTitle(window, m_title);
        state.firstTitled = hasTitle(window, m_firstTitle);
        // Every drawing into the window from now on is reported, the first one at once.
        if (m_damageEvent)
            xcb_damage_create(m_connection, xcb_generate_id(m_connection), window,
                              XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        pingWhenReady(window);
    }

    bool hasTitle(xcb_window_t window, const std::string &title)
    {
        const xcb_get_property_cookie_t cookie =
            xcb_get_property(m_connection, 0, window, m_netWmName, m_utf8String, 0, 256);
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(m_connection, cookie, nullptr), &std::free);
        if (!reply)
            return false;
        const std::string name(
            static_cast<const char *>(xcb_get_property_value(reply.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
        return name == title;
    }

    void pingWhenReady(xcb_window_t window)
    {
        WindowState &state = m_windows[window];
        if (!state.mapped || !state.titled || state.pinged)
            return;
        state.pinged = true;
        xcb_client_message_event_t ping{};
        ping.response_type = XCB_CLIENT_MESSAGE;
        ping.format = 32;
        ping.window = window;
        ping.type = m_wmProtocols;
        ping.data.data32[0] = m_netWmPing;
        ping.data.data32[1] = XCB_CURRENT_TIME;
        ping.data.data32[2] = window;
        xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&ping));
        xcb_flush(m_connection);
    }

    xcb_connection_t *m_connection;
    std::string m_title;
    std::string m_firstTitle;
    xcb_window_t m_root;
    xcb_atom_t m_netWmName;
    xcb_atom_t m_utf8String;
    xcb_atom_t m_wmProtocols;
    xcb_atom_t m_netWmPing;
    std::map<xcb_window_t, WindowState> m_windows;
    xcb_window_t m_answered = XCB_WINDOW_NONE;
    uint8_t m_damageEvent = 0;
    std::optional<Clock::time_point> m_firstDrawn;
};

double milliseconds(const timeval &time)
{
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
}

} // namespace

int main(int argc, char *argv[])
{
    int first = 1;
    std::string firstTitle;
    if (argc > 2 && std::strcmp(argv[1], "--first") == 0) {
        firstTitle = argv[2];
        first = 3;
    }
    if (argc < first + 2) {
        std::fprintf(stderr,
                     "usage: startup_probe [--first FIRST_TITLE] TITLE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    char **command = argv + first + 1;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "startup_probe: cannot connect to the X server\n");
        return 2;
    }
    Probe probe(connection, argv[first], firstTitle.empty() ? argv[first] : firstTitle);
    if (!probe.measuresDrawing()) {
        std::fprintf(stderr, "startup_probe: the X server has no DAMAGE extension\n");
        return 2;
    }

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    if (child < 0)
        return 2;

    const Clock::time_point deadline = start + std::chrono::seconds(60);
    bool answered = false;
    pollfd connectionFd{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (!answered && Clock::now() < deadline) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            answered = answered || probe.handle(event);
            std::free(event);
        }
        if (!answered)
            poll(&connectionFd, 1, 100);
    }
    const Clock::time_point end = Clock::now();
    // A toolkit may answer before it has drawn the window it just mapped.
    while (answered && !probe.firstDrawn() && Clock::now() < deadline) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            probe.handle(event);
            std::free(event);
        }
        if (!probe.firstDrawn())
            poll(&connectionFd, 1, 100);
    }
    const auto [width, height] = answered ? probe.answeredSize() : std::pair<int, int>{0, 0};

    kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!answered) {
        xcb_disconnect(connection);
        std::fprintf(stderr, "startup_probe: no answering window titled \"%s\" from %s\n",
                     argv[first], command[0]);
        return 1;
    }
    xcb_disconnect(connection);
    if (!probe.firstDrawn()) {
        std::fprintf(stderr, "startup_probe: the window of %s was never drawn\n", command[0]);
        return 1;
    }
    const Clock::time_point drawn = *probe.firstDrawn();
    std::printf("%.3f %ld %.3f %d %d %.3f\n",
                std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss,
                milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime), width, height,
                std::chrono::duration<double, std::milli>(drawn - start).count());
    return 0;
}
