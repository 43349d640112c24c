#include "Platform.h"

#include <QAbstractNativeEventFilter>
#include <QByteArrayList>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QList>
#include <QScreen>
#include <QStringList>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
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
    const QString name = QString::fromLocal8Bit(s.xDisplay);
    switch (s.xAnswers()) {
    case DisplayAnswer::Answers:
        return {true, {}};
    case DisplayAnswer::Silent:
        return {false, QStringLiteral("the X11 display at \"%1\" does not answer").arg(name)};
    case DisplayAnswer::Absent:
        break;
    }
    return {false, QStringLiteral("no X11 display at \"%1\"").arg(name)};
}

Reach reachWayland(const DisplaySituation& s) {
    const QString name = QString::fromLocal8Bit(s.waylandDisplay.isEmpty() ? DefaultWaylandDisplay
                                                                           : s.waylandDisplay);
    switch (s.waylandAnswers()) {
    case DisplayAnswer::Answers:
        break;
    case DisplayAnswer::Silent:
        return {false, QStringLiteral("the Wayland display at \"%1\" does not answer").arg(name)};
    case DisplayAnswer::Absent:
        if (s.waylandDisplay.isEmpty())
            return {false, QStringLiteral("no Wayland display (WAYLAND_DISPLAY is not set)")};
        return {false, QStringLiteral("no Wayland display at \"%1\"").arg(name)};
    }
    if (s.waylandPluginInstalled()) return {true, {}};
    return {false, QStringLiteral("a Wayland display at \"%1\" but no Qt platform plugin for it "
                                  "(package qt6-wayland)")
                       .arg(name)};
}

using Clock = std::chrono::steady_clock;

// A stream socket connected to `address` within the deadline, whose reads give up at the
// deadline; -1 with errno where none is.
int connectBefore(const sockaddr* address, socklen_t size, Clock::time_point deadline) {
    const int fd = ::socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    // A zero timeout would mean none at all.
    const timeval timeout{time_t(left.count() / 1000000),
                          std::max<suseconds_t>(left.count() % 1000000, 1)};
    // A connection that waits in a full backlog gives up at the send timeout.
    if (left.count() > 0 &&
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout) == 0 &&
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) == 0 &&
        ::connect(fd, address, size) == 0)
        return fd;
    const int error = left.count() > 0 ? errno : ETIMEDOUT;
    ::close(fd);
    errno = error;
    return -1;
}

bool timedOut(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINPROGRESS || error == ETIMEDOUT;
}

// Sends `request` and waits for the first byte of an answer: Silent when none comes before
// the deadline, Absent when nothing takes the connection or it is closed without a word.
DisplayAnswer ask(const sockaddr* address, socklen_t size, const void* request,
                  std::size_t requestSize, Clock::time_point deadline) {
    const int fd = connectBefore(address, size, deadline);
    if (fd < 0) return timedOut(errno) ? DisplayAnswer::Silent : DisplayAnswer::Absent;
    char first = 0;
    ssize_t got = -1;
    if (::send(fd, request, requestSize, MSG_NOSIGNAL) == ssize_t(requestSize))
        got = ::recv(fd, &first, 1, 0);
    const int error = errno;
    ::close(fd);
    if (got == 1) return DisplayAnswer::Answers;
    return got < 0 && timedOut(error) ? DisplayAnswer::Silent : DisplayAnswer::Absent;
}

// Runs `probe` on a thread of its own and waits for it until the deadline: libxcb waits for
// a server's answer for ever, and a stopped server never gives one. A probe still waiting
// at the deadline is left behind, blocked, and counts as Silent.
DisplayAnswer withinDeadline(const std::function<DisplayAnswer()>& probe) {
    struct Outcome {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<DisplayAnswer> answer;
    };
    const auto outcome = std::make_shared<Outcome>();
    try {
        std::thread([outcome, probe] {
            const DisplayAnswer answer = probe();
            const std::lock_guard lock(outcome->mutex);
            outcome->answer = answer;
            outcome->done.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        return probe(); // no thread to spare: without the deadline, then
    }
    std::unique_lock lock(outcome->mutex);
    outcome->done.wait_for(lock, ProbeDeadline, [&] { return outcome->answer.has_value(); });
    return outcome->answer.value_or(DisplayAnswer::Silent);
}

// Leaves the X server and waits until it has closed its end too. An X server whose last
// client leaves resets itself, and closes the connections it took before the reset: Qt's,
// if it came right after the probe left, and the program would abort. The server deals
// with a client's leaving in one step (it closes its end and, for the last client, decides
// to reset) and takes new connections only between such steps; so a connection made once
// its end is closed is taken after any reset the probe's leaving brings about.
DisplayAnswer leave(xcb_connection_t* connection, Clock::time_point deadline) {
    const int fd = xcb_get_file_descriptor(connection);
    DisplayAnswer answer = DisplayAnswer::Silent;
    if (::shutdown(fd, SHUT_WR) == 0) {
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd readable{fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&readable, 1, int(left.count())) == 0) break;
            char discarded[256];
            const ssize_t got = ::recv(fd, discarded, sizeof discarded, MSG_DONTWAIT);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                answer = DisplayAnswer::Answers;
                break;
            }
        }
    }
    xcb_disconnect(connection);
    return answer;
}

DisplayAnswer probeX(const QByteArray& name) {
    const Clock::time_point deadline = Clock::now() + ProbeDeadline;
    xcb_connection_t* connection = xcb_connect(name.constData(), nullptr);
    // The whole handshake, authorisation included: what Qt's connection will meet.
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return DisplayAnswer::Absent;
    }
    return leave(connection, deadline);
}

DisplayAnswer waylandDisplayAnswers(QByteArray name) {
    // A connection handed down by the compositor cannot be tried without taking it over.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET")) return DisplayAnswer::Answers;
    if (name.isEmpty()) name = DefaultWaylandDisplay;
    if (!name.startsWith('/')) {
        const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
        if (runtimeDir.isEmpty()) return DisplayAnswer::Absent;
        name = runtimeDir + '/' + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::size_t(name.size()) >= sizeof address.sun_path) return DisplayAnswer::Absent;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    // wl_display.sync, with 2 for the new callback's id: a compositor answers it with the
    // callback's done event.
    constexpr quint32 SyncSize = 12;
    const quint32 sync[] = {1, SyncSize << 16, 2};
    return ask(reinterpret_cast<const sockaddr*>(&address), sizeof address, sync, sizeof sync,
               Clock::now() + ProbeDeadline);
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

namespace {
// The X display Qt is told to use (DISPLAY or -display), for the connections of our own that
// must reach the same server: Qt takes -display out of the arguments and leaves DISPLAY as
// it was.
QByteArray programXDisplay;
} // namespace

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
    programXDisplay = s.xDisplay;
    s.xAnswers = [name = s.xDisplay] { return withinDeadline([name] { return probeX(name); }); };
    s.waylandAnswers = [name = s.waylandDisplay] { return waylandDisplayAnswers(name); };
    s.waylandPluginInstalled = &waylandPluginInstalled;
    return s;
}

QString secureOpenFiles() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= rlim_t(NeededOpenFiles))
        return {};
    const rlim_t allowed = limit.rlim_cur;
    if (limit.rlim_max >= rlim_t(NeededOpenFiles)) {
        limit.rlim_cur = NeededOpenFiles;
        if (::setrlimit(RLIMIT_NOFILE, &limit) == 0) return {};
    }
    return QStringLiteral("only %1 open files are allowed (ulimit -n), and the program needs %2")
        .arg(allowed)
        .arg(NeededOpenFiles);
}

namespace {

QtStartWatch* heldBy = nullptr;

QString firstLine(const QString& text) {
    return text.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
}

} // namespace

QtStartWatch::QtStartWatch(QString failure) : m_failure(std::move(failure)) {
    heldBy = this;
    m_previous = qInstallMessageHandler(&QtStartWatch::hold);
}

QtStartWatch::~QtStartWatch() {
    release();
}

void QtStartWatch::release() {
    if (heldBy != this) return;
    qInstallMessageHandler(m_previous);
    heldBy = nullptr;
    for (const Message& m : std::exchange(m_held, {})) {
        const QMessageLogContext context(m.file.isNull() ? nullptr : m.file.constData(), m.line,
                                         m.function.isNull() ? nullptr : m.function.constData(),
                                         m.category.isNull() ? nullptr : m.category.constData());
        m_previous(m.type, context, m.text);
    }
}

void QtStartWatch::hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!heldBy) return;
    // Qt aborts after a fatal message: the program ends first, with its own line. What Qt
    // warned of before it gave up says why; its last words then only advise.
    if (type == QtFatalMsg) {
        const QStringList warnings = heldBy->warnings();
        heldBy->end(warnings.isEmpty() ? QStringList{firstLine(text)} : warnings);
    }
    heldBy->m_held.push_back({type, QByteArray(context.file), QByteArray(context.function),
                              QByteArray(context.category), context.line, text});
}

QStringList QtStartWatch::warnings() const {
    QStringList lines;
    for (const Message& m : m_held)
        if (m.type == QtWarningMsg || m.type == QtCriticalMsg)
            if (const QString line = firstLine(m.text); !line.isEmpty() && !lines.contains(line))
                lines << line;
    return lines;
}

void QtStartWatch::fail(const QString& why) const {
    end(QStringList{why} + warnings());
}

void QtStartWatch::end(const QStringList& reasons) const {
    std::fprintf(stderr, "%s: %s\n", qPrintable(m_failure),
                 qPrintable(reasons.join(QLatin1String("; "))));
    std::fflush(stderr);
    // Nothing of Qt's half-made start is to be torn down.
    std::_Exit(1);
}

QString screenProblem() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return QStringLiteral("no screen");
    if (screen->depth() < MinimumScreenDepth)
        return QStringLiteral(
                   "the screen has %1 bits a pixel, and Qt draws windows with %2 or more")
            .arg(screen->depth())
            .arg(MinimumScreenDepth);
    return {};
}

namespace {

// The atom of that name; XCB_ATOM_NONE where no client has made it yet, unless `make`.
xcb_atom_t existingAtom(xcb_connection_t* c, const char* name, bool make = false) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, !make, uint16_t(std::strlen(name)), name),
                              nullptr),
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

// Qt listens to the root window's properties already; this hears two of them change.
class WindowManagerWatch final : public QObject, public QAbstractNativeEventFilter {
public:
    WindowManagerWatch(QObject* context, xcb_connection_t* c, std::function<void()> announced)
        // Made if need be: a window manager that comes later names the same.
        : QObject(context), m_check(existingAtom(c, "_NET_SUPPORTING_WM_CHECK", true)),
          m_supported(existingAtom(c, "_NET_SUPPORTED", true)), m_announced(std::move(announced)) {
        qGuiApp->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_property_notify_event_t*>(message);
        // Queued: the handler asks the server what is announced, not for the middle of an event.
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
            (event->atom == m_check || event->atom == m_supported))
            QMetaObject::invokeMethod(this, m_announced, Qt::QueuedConnection);
        return false;
    }

private:
    xcb_atom_t m_check;
    xcb_atom_t m_supported;
    std::function<void()> m_announced;
};

} // namespace

bool xSelectionAnswers(const char* name) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return true;
    // What the program holds itself Qt hands over from memory. Asked here, the program could
    // not answer while it waits for the answer: its own copy would paste nothing, a second late.
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (std::strcmp(name, "CLIPBOARD") == 0
            ? clipboard->ownsClipboard()
            : std::strcmp(name, "PRIMARY") == 0 && clipboard->ownsSelection())
        return true;
    const Clock::time_point deadline = Clock::now() + ProbeDeadline;
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(programXDisplay.isEmpty() ? nullptr : programXDisplay.constData(), nullptr),
        &xcb_disconnect);
    xcb_connection_t* c = connection.get();
    if (xcb_connection_has_error(c) != 0) return true;
    const xcb_atom_t selection = existingAtom(c, name);
    const xcb_atom_t targets = existingAtom(c, "TARGETS");
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr),
        &std::free);
    if (!selection || !targets || !owner || owner->owner == XCB_NONE) return true;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t requestor = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, requestor, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    // Any answer counts, a refusal too: the owner is alive. The property is this window's.
    xcb_convert_selection(c, requestor, selection, targets, targets, XCB_CURRENT_TIME);
    xcb_flush(c);
    for (;;) {
        while (const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event{
            xcb_poll_for_event(c), &std::free})
            if ((event->response_type & 0x7f) == XCB_SELECTION_NOTIFY) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{xcb_get_file_descriptor(c), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, int(left.count())) <= 0 ||
            xcb_connection_has_error(c) != 0)
            return false;
    }
}

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

void onXWindowManagerAnnounced(QObject* context, std::function<void()> announced) {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 && x11->connection())
        new WindowManagerWatch(context, x11->connection(), std::move(announced));
}

} // namespace tk
