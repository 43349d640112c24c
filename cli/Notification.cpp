// A desktop notification through the freedesktop Notifications service on the session bus,
// over sd-bus.

#include "Deadline.h"
#include "Desktop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string_view>
#include <systemd/sd-bus.h>

namespace desktop {

namespace {

constexpr const char* Service = "org.freedesktop.Notifications";
constexpr const char* ObjectPath = "/org/freedesktop/Notifications";
constexpr const char* Interface = "org.freedesktop.Notifications";
constexpr const char* AppName = "Zarvik";
constexpr const char* AppId = "example.zarvik.Zarvik"; // the icon's and the menu entry's name
constexpr std::int32_t ServerDefaultTimeout = -1;

struct BusUnref {
    void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
    void operator()(sd_bus_message* m) const { sd_bus_message_unref(m); }
};
using Bus = std::unique_ptr<sd_bus, BusUnref>;
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

class Error {
public:
    Error() = default;
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    ~Error() { sd_bus_error_free(&m_error); }
    sd_bus_error* get() { return &m_error; }

    bool noService() const {
        return sd_bus_error_has_name(&m_error, "org.freedesktop.DBus.Error.ServiceUnknown") ||
               sd_bus_error_has_name(&m_error, "org.freedesktop.DBus.Error.NameHasNoOwner");
    }
    std::string text(int result) const {
        if (m_error.message) return m_error.message;
        return std::strerror(-result);
    }

private:
    sd_bus_error m_error = SD_BUS_ERROR_NULL;
};

// Markup the service reads in a body: a text's own '<' or '&' must not be taken for it.
std::string escapeMarkup(std::string_view text) {
    std::string escaped;
    for (const char ch : text) {
        switch (ch) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        default:
            escaped += ch;
        }
    }
    return escaped;
}

// Each look-up's notification replaces the one before it, so that looking up one word after
// another does not pile them up; but only when that one is ours: an id is the service's, and
// a service started again (or another session's bus) gives the same numbers to others. So the
// id is kept with the bus and the service instance it came from, in the user's runtime folder.
class LastNotification {
public:
    LastNotification(sd_bus* bus, std::string_view service) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        sd_id128_t busId{};
        if (!runtime || !*runtime || sd_bus_get_bus_id(bus, &busId) < 0) return;
        char busText[SD_ID128_STRING_MAX];
        m_file = std::string(runtime) + "/zarvik-lookup.notification";
        m_key = std::string(sd_id128_to_string(busId, busText)) + ' ' + std::string(service);
    }

    std::uint32_t id() const {
        if (m_file.empty()) return 0;
        std::ifstream in(m_file);
        std::string bus, service;
        std::uint32_t id = 0;
        if (!(in >> bus >> service >> id) || bus + ' ' + service != m_key) return 0;
        return id;
    }

    // Not remembered, the next notification merely stands beside this one.
    void remember(std::uint32_t id) const {
        if (m_file.empty()) return;
        const std::string temporary = m_file + ".new";
        {
            std::ofstream out(temporary, std::ios::trunc);
            out << m_key << ' ' << id << '\n';
            if (!out.flush()) return;
        }
        std::rename(temporary.c_str(), m_file.c_str());
    }

private:
    std::string m_file;
    std::string m_key;
};

std::string notifyNow(const Notification& n, std::chrono::milliseconds limit) {
    sd_bus* opened = nullptr;
    if (const int r = sd_bus_open_user(&opened); r < 0) {
        const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        if (!address || !*address) return "no session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
        return std::string("no session bus at ") + address + " (" + std::strerror(-r) + ")";
    }
    const Bus bus(opened);
    sd_bus_set_method_call_timeout(bus.get(), static_cast<std::uint64_t>(limit.count()) * 1000);

    // Asked of the well-known name, which starts a service the bus knows how to start; the
    // answer names the instance the rest goes to.
    Error error;
    sd_bus_message* answer = nullptr;
    int r = sd_bus_call_method(bus.get(), Service, ObjectPath, Interface, "GetCapabilities",
                               error.get(), &answer, "");
    if (r < 0)
        return error.noService() ? "no notification service on the session bus" : error.text(r);
    const Message capabilities(answer);
    const char* sender = sd_bus_message_get_sender(capabilities.get());
    const std::string service = sender ? sender : Service;
    bool markup = false;
    char** names = nullptr;
    if (sd_bus_message_read_strv(capabilities.get(), &names) >= 0 && names) {
        for (char** name = names; *name; ++name) {
            markup = markup || std::string_view(*name) == "body-markup";
            std::free(*name);
        }
        std::free(names);
    }

    const LastNotification last(bus.get(), service);
    const std::string body = markup ? escapeMarkup(n.body) : n.body;
    answer = nullptr;
    r = sd_bus_call_method(bus.get(), service.c_str(), ObjectPath, Interface, "Notify", error.get(),
                           &answer, "susssasa{sv}i", AppName, last.id(), AppId, n.summary.c_str(),
                           body.c_str(), 0, 2, "transient", "b", 1, "desktop-entry", "s", AppId,
                           ServerDefaultTimeout);
    if (r < 0) return error.text(r);
    const Message shown(answer);
    std::uint32_t id = 0;
    if (sd_bus_message_read(shown.get(), "u", &id) >= 0) last.remember(id);
    return {};
}

} // namespace

std::string notify(const Notification& notification, std::chrono::milliseconds limit) {
    if (auto trouble =
            within(limit, [notification, limit] { return notifyNow(notification, limit); }))
        return std::move(*trouble);
    return "the session bus did not answer within " + std::to_string(limit.count()) + " ms";
}

} // namespace desktop
