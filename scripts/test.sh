#!/usr/bin/env bash
# Set up and build as run.sh does, then run the whole test suite.
#   --asan   build and test with AddressSanitizer + UndefinedBehaviorSanitizer (in build-asan)
set -euo pipefail
if [ "${1:-}" = --asan ]; then export ZARVIK_PRESET=asan; shift; fi
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
ctest --preset "${ZARVIK_PRESET:-dev}" "$@"
