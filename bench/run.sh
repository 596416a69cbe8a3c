#!/usr/bin/env bash
# Builds an optimised benchmark and compares Tintwell's library with giflib
# (load, save to memory, save to a file on tmpfs and on the disk), with
# stb_image and Qt's reader (load), then reports how time grows with pixels
# and frames, the peak memory of loading and saving, and the system calls of
# one save. Arguments go to the benchmark (e.g. --rounds 9, --no-synthetic,
# --only noise, --no-files, --no-scale, --no-memory).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TINTWELL_EXTRA_PACKAGES="libstb-dev strace ${TINTWELL_EXTRA_PACKAGES:-}" "$root/scripts/deps.sh"
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTWELL_BUILD_BENCH=ON \
  -DTINTWELL_BUILD_TESTS=OFF -DTINTWELL_BUILD_APP=OFF >/dev/null
cmake --build "$build" --target tintwell_bench --parallel "$(nproc)"
exec "$build/bench/tintwell_bench" "$@"
