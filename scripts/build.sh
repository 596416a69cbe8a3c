#!/usr/bin/env bash
# Configures and builds into build/ (or $TINTWELL_BUILD_DIR). Extra arguments are
# passed to CMake's configure step.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TINTWELL_BUILD_DIR:-$root/build}"
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$build/Makefile" ]; then
  generator=(-G Ninja)
fi
cmake -S "$root" -B "$build" "${generator[@]}" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
