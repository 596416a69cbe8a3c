#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$@"
build="${TINTWELL_BUILD_DIR:-$root/build}"
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
