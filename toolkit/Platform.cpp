#include "Platform.h"

#include <QByteArrayList>
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QList>
#include <QStringList>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace tk {

namespace {

// The display a Wayland client connects to when WAYLAND_DISPLAY is not set.
constexpr char DefaultWaylandDisplay[] = "wayland-0";

bool isXPlatform(const QByteArray& name) {
    return name == "xcb";
}

bool isWaylandPlatform(const QByteArray& name) {
    return name.startsWith("wayland");
}

// Whether a window system can be reached, and else what is missing, in words.
struct Reach {
    bool ok = false;
    QString missing;
};

Reach reachX(const DisplaySituation& s) {
    if (s.xDisplay.isEmpty()) return {false, QStringLiteral("no X11 display (DISPLAY is not set)")};
    if (s.xAnswers()) return {true, {}};
    return {false,
            QStringLiteral("no X11 display at \"%1\"").arg(QString::fromLocal8Bit(s.xDisplay))};
}

Reach reachWayland(const DisplaySituation& s) {
    const QString name = QString::fromLocal8Bit(s.waylandDisplay.isEmpty() ? DefaultWaylandDisplay
                                                                           : s.waylandDisplay);
    if (!s.waylandAnswers()) {
        if (s.waylandDisplay.isEmpty())
            return {false, QStringLiteral("no Wayland display (WAYLAND_DISPLAY is not set)")};
        return {false, QStringLiteral("no Wayland display at \"%1\"").arg(name)};
    }
    if (s.waylandPluginInstalled()) return {true, {}};
    return {false, QStringLiteral("a Wayland display at \"%1\" but no Qt platform plugin for it "
                                  "(package qt6-wayland)")
                       .arg(name)};
}

// The X connection of the probe, open until the situation that asked for it is gone.
struct XProbe {
    xcb_connection_t* connection = nullptr;
    XProbe() = default;
    XProbe(const XProbe&) = delete;
    XProbe& operator=(const XProbe&) = delete;
    ~XProbe() {
        if (connection) xcb_disconnect(connection);
    }

    bool answers(const QByteArray& name) {
        if (!connection) connection = xcb_connect(name.constData(), nullptr);
        // The whole handshake, authorisation included: what Qt's connection will meet.
        return xcb_connection_has_error(connection) == 0;
    }
};

bool waylandDisplayAnswers(QByteArray name) {
    // A connection handed down by the compositor cannot be tried without taking it over.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET")) return true;
    if (name.isEmpty()) name = DefaultWaylandDisplay;
    if (!name.startsWith('/')) {
        const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
        if (runtimeDir.isEmpty()) return false;
        name = runtimeDir + '/' + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::size_t(name.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    // A full backlog still means a compositor listens there.
    const bool ok =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        errno == EAGAIN;
    ::close(fd);
    return ok;
}

bool waylandPluginInstalled() {
    QStringList dirs;
    const QString own = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!own.isEmpty()) dirs << own;
    for (const QString& d :
         qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        dirs << d + QStringLiteral("/platforms");
    dirs << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms");
    return std::any_of(dirs.cbegin(), dirs.cend(), [](const QString& dir) {
        return !QDir(dir).entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty();
    });
}

} // namespace

PlatformChoice choosePlatform(const DisplaySituation& s) {
    std::optional<Reach> x;
    std::optional<Reach> wayland;
    const auto reach = [&](const QByteArray& name) -> const Reach& {
        if (isXPlatform(name)) return x ? *x : x.emplace(reachX(s));
        return wayland ? *wayland : wayland.emplace(reachWayland(s));
    };

    if (!s.chosenPlatform.isEmpty()) {
        // Qt tries "a;b" in order; a name may carry options after a colon.
        QByteArrayList names;
        for (const QByteArray& entry : s.chosenPlatform.split(';'))
            names << entry.split(':').constFirst().toLower();
        const bool displaysOnly = std::all_of(names.cbegin(), names.cend(), [](const auto& n) {
            return isXPlatform(n) || isWaylandPlatform(n);
        });
        // Offscreen, VNC, a framebuffer: nothing to look for here.
        if (!displaysOnly) return {};
        QStringList missing;
        for (const QByteArray& name : names) {
            const Reach& r = reach(name);
            if (r.ok) return {};
            if (!missing.contains(r.missing)) missing << r.missing;
        }
        return {{},
                QStringLiteral("cannot open a window on the chosen platform \"%1\": %2")
                    .arg(QString::fromLocal8Bit(s.chosenPlatform),
                         missing.join(QLatin1String(" and ")))};
    }

    if (reach("xcb").ok) return {"xcb", {}};
    if (reach("wayland").ok) return {"wayland", {}};
    return {{},
            QStringLiteral("cannot open a window: %1 and %2").arg(x->missing, wayland->missing)};
}

DisplaySituation currentDisplaySituation(int argc, const char* const* argv) {
    DisplaySituation s;
    s.chosenPlatform = qgetenv("QT_QPA_PLATFORM");
    s.xDisplay = qgetenv("DISPLAY");
    s.waylandDisplay = qgetenv("WAYLAND_DISPLAY");
    // Qt's own options, which it also takes with two dashes, win over the environment.
    for (int i = 1; i + 1 < argc; ++i) {
        QByteArray option(argv[i]);
        if (option.startsWith("--")) option.remove(0, 1);
        if (option == "-platform")
            s.chosenPlatform = argv[++i];
        else if (option == "-display")
            s.xDisplay = argv[++i];
    }
    s.xAnswers = [name = s.xDisplay, probe = std::make_shared<XProbe>()] {
        return probe->answers(name);
    };
    s.waylandAnswers = [name = s.waylandDisplay] { return waylandDisplayAnswers(name); };
    s.waylandPluginInstalled = &waylandPluginInstalled;
    return s;
}

namespace {

xcb_atom_t existingAtom(xcb_connection_t* c, const char* name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A property of 32-bit items (atoms, windows); empty where the window or the property is not.
QList<quint32> property32(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name,
                          xcb_atom_t type) {
    // Window managers list a few hundred atoms at most.
    constexpr uint32_t MaxItems = 4096;
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, MaxItems), nullptr),
        &std::free);
    if (!reply || reply->format != 32) return {};
    const auto* items = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
    return QList<quint32>(items, items + xcb_get_property_value_length(reply.get()) / 4);
}

} // namespace

bool xWindowManagerKeepsAbove() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c) return false;
    // Atoms that no client has made yet cannot have been announced.
    const xcb_atom_t check = existingAtom(c, "_NET_SUPPORTING_WM_CHECK");
    const xcb_atom_t supported = existingAtom(c, "_NET_SUPPORTED");
    const xcb_atom_t above = existingAtom(c, "_NET_WM_STATE_ABOVE");
    if (!check || !supported || !above) return false;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it)) {
        const xcb_window_t root = it.data->root;
        // A window manager that has gone leaves its announcement on the root window; the
        // check window, which names itself, goes with it.
        const QList<quint32> wm = property32(c, root, check, XCB_ATOM_WINDOW);
        if (wm.size() != 1 || property32(c, wm.front(), check, XCB_ATOM_WINDOW) != wm) return false;
        if (!property32(c, root, supported, XCB_ATOM_ATOM).contains(above)) return false;
    }
    return true;
}

} // namespace tk
