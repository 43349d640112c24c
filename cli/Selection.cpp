// Reading the PRIMARY selection or the CLIPBOARD over libxcb, as an X client asks another
// for its selection: a conversion request to the owner, the answer in a property of a
// window of ours, in pieces (INCR) when it is large.

#include "Deadline.h"
#include "Desktop.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace desktop {

namespace {

// How far the reading got, for the message when it does not end in time.
enum class Stage { Connecting, Asking };

struct Words {
    const char* name;   // "the selection"
    const char* cannot; // "cannot read the selection"
};

Words wordsFor(Selection which) {
    if (which == Selection::Primary) return {"the selection", "cannot read the selection"};
    return {"the clipboard", "cannot read the clipboard"};
}

SelectionReading failed(std::string trouble) {
    return {SelectionReading::Outcome::Failed, {}, std::move(trouble)};
}

// Where no X display answers: on a Wayland session that says more than "no display", since
// the compositor shares its selections with X programs only, through XWayland.
SelectionReading noDisplay(Selection which, const char* display) {
    const Words words = wordsFor(which);
    const std::string why = display && *display
                                ? "nothing answers at \"" + std::string(display) + '"'
                                : std::string("DISPLAY is not set");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland)
        return failed(std::string(words.cannot) +
                      " on this Wayland session: it can be read only through XWayland, and "
                      "there is none (" +
                      why + ")");
    return failed(std::string(words.cannot) + ": there is no X display (" + why + ")");
}

// Whether an X server listens on the local socket of `display` (":0", "unix:0"): one that
// is there and would not take us (an authorization it did not get, say) is no missing
// display. libxcb reports both alike; the server's reason it writes to standard error.
bool localServerListens(const char* display) {
    char* host = nullptr;
    int number = 0;
    if (!xcb_parse_display(display, &host, &number, nullptr)) return false;
    const bool local = !*host || std::strcmp(host, "unix") == 0;
    std::free(host);
    if (!local) return false;
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    // Clients try the abstract socket of that name first, then the file.
    for (const std::size_t skip : {0, 1}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path + 1 - skip, sizeof address.sun_path - 2);
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 - skip + path.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool listens =
            fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
        if (fd >= 0) ::close(fd);
        if (listens) return true;
    }
    return false;
}

template <class T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <class T> Reply<T> reply(T* r) {
    return {r, &std::free};
}

class Connection {
public:
    explicit Connection(xcb_connection_t* c) : m_c(c) {}
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { xcb_disconnect(m_c); }
    xcb_connection_t* get() const { return m_c; }

private:
    xcb_connection_t* m_c;
};

enum AtomId { Clipboard, Utf8String, TextPlainUtf8, Incr, Property, AtomCount };

std::array<xcb_atom_t, AtomCount> internAtoms(xcb_connection_t* c) {
    static constexpr std::array<std::string_view, AtomCount> names = {
        "CLIPBOARD", "UTF8_STRING", "text/plain;charset=utf-8", "INCR", "ZARVIK_SELECTION"};
    std::array<xcb_intern_atom_cookie_t, AtomCount> cookies{};
    for (std::size_t i = 0; i < names.size(); ++i)
        cookies[i] =
            xcb_intern_atom(c, 0, static_cast<std::uint16_t>(names[i].size()), names[i].data());
    std::array<xcb_atom_t, AtomCount> atoms{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto r = reply(xcb_intern_atom_reply(c, cookies[i], nullptr));
        atoms[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    return atoms;
}

using Clock = std::chrono::steady_clock;

// The next event of `type` that `accept` takes; null when the connection broke or `until`
// came first.
template <class Event, class Accept>
Reply<Event> waitFor(xcb_connection_t* c, std::uint8_t type, Accept accept,
                     std::optional<Clock::time_point> until = std::nullopt) {
    for (;;) {
        auto event = reply(until ? xcb_poll_for_event(c) : xcb_wait_for_event(c));
        if (!event && until && !xcb_connection_has_error(c)) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*until - Clock::now()).count();
            if (left <= 0) return {nullptr, &std::free};
            pollfd readable{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&readable, 1, static_cast<int>(left));
            continue;
        }
        if (!event) return {nullptr, &std::free};
        if ((event->response_type & 0x7F) != type) continue;
        auto* typed = reinterpret_cast<Event*>(event.get());
        if (accept(*typed)) {
            event.release();
            return {typed, &std::free};
        }
    }
}

struct Value {
    xcb_atom_t type = XCB_ATOM_NONE;
    std::uint8_t format = 0;
    std::string bytes;
};

// Reads the property and deletes it, which tells an owner sending in pieces to send the next.
Value take(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
    const auto r = reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY,
                                                0, MaxSelectionBytes / 4),
                               nullptr));
    if (!r) return {};
    const auto* data = static_cast<const char*>(xcb_get_property_value(r.get()));
    return {r->type, r->format,
            std::string(data, static_cast<std::size_t>(xcb_get_property_value_length(r.get())))};
}

// ISO 8859-1, the encoding of the STRING target, to UTF-8.
std::string fromLatin1(std::string_view text) {
    std::string utf8;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80) {
            utf8 += ch;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

class Reader {
public:
    // `finishBy`: how long the rest of a large selection, which is not looked up, is taken
    // from its owner.
    Reader(xcb_connection_t* c, const std::array<xcb_atom_t, AtomCount>& atoms,
           xcb_atom_t selection, Clock::time_point finishBy)
        : m_c(c), m_atoms(atoms), m_selection(selection), m_finishBy(finishBy) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        m_window = xcb_generate_id(c);
        // Property changes tell when the next piece of a large selection is there.
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                          &events);
    }

    // The text in the first form the owner gives, or nullopt when it gives none of them. An
    // owner may answer any request with what it has, a picture as well: its type tells.
    std::optional<std::string> text() {
        for (const xcb_atom_t target :
             {m_atoms[Utf8String], m_atoms[TextPlainUtf8], xcb_atom_t(XCB_ATOM_STRING)}) {
            std::optional<Value> value = convert(target);
            if (!value || value->format != 8) continue;
            if (value->type == m_atoms[Utf8String] || value->type == m_atoms[TextPlainUtf8])
                return std::move(value->bytes);
            if (value->type == XCB_ATOM_STRING) return fromLatin1(value->bytes);
        }
        return std::nullopt;
    }

private:
    std::optional<Value> convert(xcb_atom_t target) {
        const xcb_atom_t property = m_atoms[Property];
        xcb_convert_selection(m_c, m_window, m_selection, target, property, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        const auto notify = waitFor<xcb_selection_notify_event_t>(
            m_c, XCB_SELECTION_NOTIFY,
            [&](const xcb_selection_notify_event_t& e) { return e.requestor == m_window; });
        if (!notify || notify->property == XCB_ATOM_NONE) return std::nullopt;
        Value value = take(m_c, m_window, property);
        if (value.type == m_atoms[Incr]) return pieces();
        return value;
    }

    // A large selection comes a piece at a time, each put in the property once we deleted
    // the last; an empty piece ends it. What lies beyond MaxSelectionBytes is never looked
    // up, but it is taken to the end while there is time: an owner left in the middle of
    // sending may wait for the next deletion for ever, and answer no one else.
    std::optional<Value> pieces() {
        Value whole;
        bool full = false;
        for (;;) {
            const auto event = waitFor<xcb_property_notify_event_t>(
                m_c, XCB_PROPERTY_NOTIFY,
                [&](const xcb_property_notify_event_t& e) {
                    return e.window == m_window && e.atom == m_atoms[Property] &&
                           e.state == XCB_PROPERTY_NEW_VALUE;
                },
                full ? std::optional(m_finishBy) : std::nullopt);
            if (!event) return full ? std::optional(std::move(whole)) : std::nullopt;
            const Value piece = take(m_c, m_window, m_atoms[Property]);
            if (piece.bytes.empty()) return whole;
            if (full) continue;
            if (whole.bytes.empty()) {
                whole.type = piece.type;
                whole.format = piece.format;
            }
            whole.bytes += piece.bytes;
            full = whole.bytes.size() >= MaxSelectionBytes;
        }
    }

    xcb_connection_t* m_c;
    const std::array<xcb_atom_t, AtomCount>& m_atoms;
    xcb_atom_t m_selection;
    Clock::time_point m_finishBy;
    xcb_window_t m_window = 0;
};

SelectionReading readNow(Selection which, Clock::time_point finishBy,
                         const std::shared_ptr<std::atomic<Stage>>& stage) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return noDisplay(which, display);
    Connection connection(xcb_connect(nullptr, nullptr));
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c)) {
        if (!localServerListens(display)) return noDisplay(which, display);
        return failed(std::string(wordsFor(which).cannot) + ": the X display at \"" + display +
                      "\" refused the connection");
    }

    const auto atoms = internAtoms(c);
    const xcb_atom_t selection =
        which == Selection::Primary ? xcb_atom_t(XCB_ATOM_PRIMARY) : atoms[Clipboard];
    const auto owner =
        reply(xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
    if (!owner)
        return failed(std::string(wordsFor(which).cannot) + ": the X display at \"" + display +
                      "\" broke the connection");
    if (owner->owner == XCB_NONE) return {SelectionReading::Outcome::NoText, {}, {}};

    *stage = Stage::Asking;
    Reader reader(c, atoms, selection, finishBy);
    std::optional<std::string> text = reader.text();
    if (!text) return {SelectionReading::Outcome::NoText, {}, {}};
    if (text->size() > MaxSelectionBytes) text->resize(MaxSelectionBytes);
    return {SelectionReading::Outcome::Text, std::move(*text), {}};
}

} // namespace

SelectionReading readSelection(Selection which, std::chrono::milliseconds limit) {
    auto stage = std::make_shared<std::atomic<Stage>>(Stage::Connecting);
    // The text is had by then, whatever is left of a large selection.
    const Clock::time_point finishBy = Clock::now() + limit * 3 / 4;
    if (auto reading =
            within(limit, [which, finishBy, stage] { return readNow(which, finishBy, stage); }))
        return std::move(*reading);
    const Words words = wordsFor(which);
    const std::string after = " did not answer within " + std::to_string(limit.count()) + " ms";
    if (*stage == Stage::Connecting) {
        const char* display = std::getenv("DISPLAY");
        return failed(std::string(words.cannot) + ": the X display at \"" + display + '"' + after);
    }
    return failed(std::string(words.cannot) + ": the program that holds it" + after);
}

} // namespace desktop

extern "C" const desktop::Functions* zarvik_desktop_functions() {
    static constexpr desktop::Functions functions{&desktop::readSelection, &desktop::notify};
    return &functions;
}
