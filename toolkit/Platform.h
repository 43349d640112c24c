#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace tk {

// Which of Qt's window systems the program opens its window on, decided before the
// application exists. Left to itself, Qt 6 takes native Wayland on a Wayland session, where
// a window can neither place itself nor stay on top, even when XWayland offers X11; and with
// no display at all it aborts with advice to reinstall the program.

// What the choice depends on. The probes are asked only when the choice needs their answer:
// each opens a connection to a display server.
struct DisplaySituation {
    QByteArray chosenPlatform; // QT_QPA_PLATFORM or -platform: the user's own choice
    QByteArray xDisplay;       // DISPLAY or -display
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    std::function<bool()> xAnswers;
    std::function<bool()> waylandAnswers;
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
// The X probe's connection stays open for as long as the situation lives, so keep it until
// the application exists: an X server whose last client leaves resets itself, and refuses
// the connections that come meanwhile (Qt's among them).
DisplaySituation currentDisplaySituation(int argc, const char* const* argv);

// Whether the X11 window manager says it keeps a window above the others when asked: its
// check window is there and it lists _NET_WM_STATE_ABOVE among what it supports. Without
// a window manager nothing keeps a window on top. False where the application is not on X11.
bool xWindowManagerKeepsAbove();

} // namespace tk
