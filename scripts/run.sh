#!/usr/bin/env bash
# Set up, build, generate the code tables and open the window in the folder that
# holds them (the program reads cj5.m and cj3.m from its working directory).
set -euo pipefail
ZARVIK_TARGETS="zarvik zarvik_tables"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
build="$(zarvik_build_dir)"
# Stay-on-top and placing the window need X11; under Wayland run through XWayland.
if [ -n "${WAYLAND_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=xcb; fi
if [ -z "${DISPLAY:-}" ]; then
  echo "Built. No X display (DISPLAY is not set): start $build/app/zarvik from $build/data on a desktop." >&2
  exit 0
fi
cd "$build/data"
exec "$build/app/zarvik"
