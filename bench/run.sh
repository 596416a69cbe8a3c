#!/usr/bin/env bash
# Builds an optimised benchmark and compares load and save speed with giflib,
# then reports the peak memory of loading the largest corpus file.
# Arguments go to the benchmark (e.g. --rounds 9, --no-synthetic, --only noise).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTWELL_BUILD_BENCH=ON \
  -DTINTWELL_BUILD_TESTS=OFF -DTINTWELL_BUILD_APP=OFF >/dev/null
cmake --build "$build" --target tintwell_bench --parallel "$(nproc)"
exec "$build/bench/tintwell_bench" "$@"
