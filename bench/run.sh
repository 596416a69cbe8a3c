#!/usr/bin/env bash
# Builds an optimised benchmark and compares load and save speed with giflib.
# Arguments go to the benchmark (e.g. --rounds 9, --no-synthetic).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/deps.sh"
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTWELL_BUILD_BENCH=ON \
  -DTINTWELL_BUILD_TESTS=OFF -DTINTWELL_BUILD_APP=OFF >/dev/null
cmake --build "$build" --target tintwell_bench --parallel "$(nproc)"
largest="$(ls -S "$root"/../shared/corpus/*/*.gif 2>/dev/null | head -n 1 || true)"
if [ -n "$largest" ]; then
  exec "$build/bench/tintwell_bench" --rss "$largest" "$@"
fi
exec "$build/bench/tintwell_bench" "$@"
