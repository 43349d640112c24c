#!/usr/bin/env bash
# Installs what the build and the tests need (only what is missing, silently when
# nothing is), then configures and builds. Sourced by run.sh and test.sh.
#   ZARVIK_PRESET     dev (default) or asan
#   ZARVIK_TARGETS    what to build (default: everything)
set -euo pipefail

ZARVIK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

zarvik_packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n libxcb1-dev libsystemd-dev libbenchmark-dev libsqlite3-dev
  fonts-wine fonts-wqy-microhei fonts-hanazono libcangjie2-data
  xvfb xauth openbox mutter xdotool xclip x11-utils imagemagick
  weston xwayland qt6-wayland
  clang libclang-rt-14-dev
  zsh fish locales
  desktop-file-utils appstream dpkg-dev groff-base
  strace dbus at-spi2-core python3-pyatspi python3-dbus python3-gi python3-xlib
)

zarvik_install_missing() {
  local missing=()
  local p
  for p in "${zarvik_packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

zarvik_build() {
  local preset="${ZARVIK_PRESET:-dev}"
  cmake --preset "$preset" -S "$ZARVIK_ROOT" >/dev/null
  # run.sh builds only the program and its tables; test.sh builds everything.
  # shellcheck disable=SC2086
  cmake --build --preset "$preset" ${ZARVIK_TARGETS:+--target $ZARVIK_TARGETS}
}

zarvik_build_dir() {
  if [ "${ZARVIK_PRESET:-dev}" = asan ]; then echo "$ZARVIK_ROOT/build-asan"; else echo "$ZARVIK_ROOT/build"; fi
}

zarvik_install_missing
zarvik_build
