#include "Platform.h"

#include <QByteArrayList>
#include <QDir>
#include <QLibraryInfo>
#include <QStringList>
#include <algorithm>
#include <cerrno>
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

} // namespace tk
