#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <chrono>
#include <functional>
#include <vector>

namespace tk {

// Which of Qt's window systems the program opens its window on, decided before the
// application exists. Left to itself, Qt 6 takes native Wayland on a Wayland session, where
// a window can neither place itself nor stay on top, even when XWayland offers X11; and with
// no display at all it aborts with advice to reinstall the program.

// What a display server did with a probe's connection.
enum class DisplayAnswer {
    Answers, // took it as a client's (for X11, authorisation included)
    Absent,  // nothing listens there, or it refused the connection
    Silent,  // took it and said nothing before the deadline: stopped, or no display server
};

// How long a probe waits for a display server. One that answers at all does so within
// milliseconds; one that has not after a second is stopped, or is not a display server.
inline constexpr std::chrono::milliseconds ProbeDeadline{1000};

// What the choice depends on. The probes are asked only when the choice needs their answer:
// each opens a connection to a display server.
struct DisplaySituation {
    QByteArray chosenPlatform; // QT_QPA_PLATFORM or -platform: the user's own choice
    QByteArray xDisplay;       // DISPLAY or -display
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    std::function<DisplayAnswer()> xAnswers;
    std::function<DisplayAnswer()> waylandAnswers;
    std::function<bool()> waylandPluginInstalled;
};

struct PlatformChoice {
    // What to hand Qt as its -platform; empty where Qt's (or the user's) own choice stands.
    QByteArray platform;
    // When no window system can be reached: one line saying which display is missing.
    QString failure;
};

// X11 (through XWayland on a Wayland session) wherever an X display answers and the user
// chose nothing, native Wayland where only that answers. A choice of the user's stands; it
// fails early only when it names X11 and Wayland platforms alone and none of them answers.
PlatformChoice choosePlatform(const DisplaySituation& situation);

// This process's situation: its environment and arguments, with probes that really connect.
// A probe has closed its connection when it answers, so that the application's own finds
// the place the probe took free on a server that has one place left.
DisplaySituation currentDisplaySituation(int argc, const char* const* argv);

// The open files the program needs at once. Qt's start on X11 holds nine and needs a few
// more while it loads its plugins; the rest is room for the accessibility bus, the error
// box and the browser the link starts. With fewer, Qt aborts in one place or another.
inline constexpr int NeededOpenFiles = 32;

// Raises this process's limit of open files to NeededOpenFiles where it is lower and the
// hard limit lets it; where that cannot be, says so in one line.
QString secureOpenFiles();

// Holds back what Qt says while it starts its window system, so that a start that fails
// ends with one line on stderr and the exit status 1, instead of Qt's lines and an abort
// (a platform Qt does not have, a framebuffer platform without its device). What was held
// back is said once the start has succeeded, as it would have been said.
class QtStartWatch {
public:
    // `failure` begins the line that tells of a failed start ("zarvik: cannot open …").
    explicit QtStartWatch(QString failure);
    QtStartWatch(const QtStartWatch&) = delete;
    QtStartWatch& operator=(const QtStartWatch&) = delete;
    ~QtStartWatch();

    // The start has succeeded: Qt's messages go their usual way again.
    void release();
    // Ends the program with the line: the failure, `why`, and what Qt said against the start.
    [[noreturn]] void fail(const QString& why) const;

private:
    QStringList warnings() const;
    [[noreturn]] void end(const QStringList& reasons) const;
    struct Message {
        QtMsgType type;
        QByteArray file, function, category;
        int line;
        QString text;
    };
    static void hold(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QString m_failure;
    std::vector<Message> m_held;
    QtMessageHandler m_previous = nullptr;
};

// The bits a pixel below which Qt cannot draw a window (an 8-bit X display has no image
// format Qt paints in).
inline constexpr int MinimumScreenDepth = 15;

// What keeps the program from drawing on the screens Qt found, in words; empty when nothing
// does. Call once the application exists.
QString screenProblem();

// Whether the X11 window manager says it keeps a window above the others when asked: its
// check window is there and it lists _NET_WM_STATE_ABOVE among what it supports. Without
// a window manager nothing keeps a window on top. False where the application is not on X11.
bool xWindowManagerKeepsAbove();

// Calls `announced` each time an X11 window manager announces itself or what it supports on
// the root window, as one does that starts after the program; queued, for as long as
// `context` lives. Nothing where the application is not on X11.
void onXWindowManagerAnnounced(QObject* context, std::function<void()> announced);

// Whether the program holding X selection `name` (CLIPBOARD, PRIMARY) answers a request
// within ProbeDeadline, asked on a connection of its own to the display that
// currentDisplaySituation found (DISPLAY where it was never called): Qt waits up to 5 s for
// each of the two or three requests a paste makes, and a program that never answers would
// freeze the window that long. True where nothing or this program holds the selection, where
// this is no X11 application or where no connection can be made: Qt's own reading does not
// wait there.
bool xSelectionAnswers(const char* name);

} // namespace tk
