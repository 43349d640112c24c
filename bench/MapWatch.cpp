// For bench/report.sh: when does the window manager take a new window on? Connects to the
// display, prints "ready" once it listens, then waits for events (no polling, so it takes no
// processor time from the program being timed) and, each time the window manager's client list
// (_NET_CLIENT_LIST on the root window) gains a window, prints
//   mapped <wall clock in microseconds> <the window's _NET_WM_PID, 0 when it has none>
// Runs until the display closes or it is stopped; exits 1 when it cannot open the display.
//
// Its connection also keeps the X server from resetting between two programs being timed.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace {

template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::uint16_t(std::strlen(name)), name),
                              nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a property, empty when it is not set.
std::vector<std::uint32_t> cardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property,
                                     xcb_atom_t type) {
    Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, type, 0, 1 << 16), nullptr),
        &std::free);
    if (!r || r->format != 32) return {};
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r.get()));
    return {v, v + xcb_get_property_value_length(r.get()) / 4};
}

long long nowMicroseconds() {
    const auto t = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(t).count();
}

} // namespace

int main() {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "mapwatch: cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    const xcb_atom_t clientList = atom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");

    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    // Listening first, then the list as it stands: a change in between is not lost.
    std::vector<std::uint32_t> known = cardinals(c, root, clientList, XCB_ATOM_WINDOW);
    std::printf("ready\n");
    std::fflush(stdout);

    while (xcb_generic_event_t* raw = xcb_wait_for_event(c)) {
        Reply<xcb_generic_event_t> e(raw, &std::free);
        if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) continue;
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e.get());
        if (p->atom != clientList || p->window != root) continue;
        const long long when = nowMicroseconds();
        const std::vector<std::uint32_t> now = cardinals(c, root, clientList, XCB_ATOM_WINDOW);
        for (std::uint32_t w : now) {
            if (std::find(known.begin(), known.end(), w) != known.end()) continue;
            const std::vector<std::uint32_t> pid = cardinals(c, w, pidAtom, XCB_ATOM_CARDINAL);
            std::printf("mapped %lld %u\n", when, pid.empty() ? 0u : pid.front());
        }
        std::fflush(stdout);
        known = now;
    }
    xcb_disconnect(c);
    return 0;
}
