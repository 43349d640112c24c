#!/usr/bin/env bash
# An X server without a window manager, as a kiosk or a bare Xvfb runs one, with the program
# its only client: the window shows, and "置顶" reads unchecked and disabled, saying why:
# nothing there keeps a window on top.
source "$(dirname "$0")/lib.sh"
: "${ZARVIK_DATA_DIR:?ZARVIK_DATA_DIR must name the folder with the tables}"
unset WAYLAND_DISPLAY DISPLAY

# The accessibility bus first: with a display, its launcher would be a client of the server.
e2e_start_atspi
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

note "the program alone on a bare X server: its window shows, 置顶 is unavailable"
e2e_start_x_server
e2e_start_app "$ZARVIK_DATA_DIR"
e2e_atspi_check_and_quit unavailable "$E2E_NO_WM_ON_TOP_REASON"

echo "PASS"
