#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tintwell.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" -DTINTWELL_BUILD_TESTS=OFF
build="${TINTWELL_BUILD_DIR:-$root/build}"
if [ ! -x "$build/app/tintwell" ]; then
  echo "Built the libraries; the Tintwell application is not part of this build yet."
  exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Tintwell is a desktop program and needs a display (X11 or Wayland); none was found." >&2
  echo "Run it from a desktop session, or under a virtual one: xvfb-run $build/app/tintwell" >&2
  exit 1
fi
exec "$build/app/tintwell" "$@"
