#!/usr/bin/env bash
# Installs what is missing, builds with the tests on (whatever an earlier run.sh
# left in the build folder's cache), and runs every test; no test run is a failure.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" -DTINTWELL_BUILD_TESTS=ON "$@"
build="${TINTWELL_BUILD_DIR:-$root/build}"
ctest --test-dir "$build" --output-on-failure --no-tests=error --parallel "$(nproc)"
