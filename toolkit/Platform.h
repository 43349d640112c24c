#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

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

// Whether the X11 window manager says it keeps a window above the others when asked: its
// check window is there and it lists _NET_WM_STATE_ABOVE among what it supports. Without
// a window manager nothing keeps a window on top. False where the application is not on X11.
bool xWindowManagerKeepsAbove();

} // namespace tk
