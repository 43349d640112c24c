#!/usr/bin/env bash
# Set up, build, generate the code tables and open the window in the folder that
# holds them (the program reads cj5.m and cj3.m from its working directory).
set -euo pipefail
ZARVIK_TARGETS="zarvik zarvik_tables"
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
build="$(zarvik_build_dir)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Built. No display (neither DISPLAY nor WAYLAND_DISPLAY is set): start $build/app/zarvik from $build/data on a desktop." >&2
  exit 0
fi
cd "$build/data"
exec "$build/app/zarvik"
