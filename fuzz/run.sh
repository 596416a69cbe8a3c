#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan, leak checks on) and runs
# each for the given number of seconds (default 60). Crashes and hangs are left
# in fuzz/crashes/; the script fails when any target found one.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(load_fuzzer roundtrip_fuzzer palette_fuzzer remap_fuzzer)

TINTWELL_EXTRA_PACKAGES="clang libclang-rt-14-dev" "$root/scripts/deps.sh"
build="${TINTWELL_FUZZ_BUILD_DIR:-$root/build-fuzz}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTINTWELL_BUILD_FUZZ=ON -DTINTWELL_BUILD_TESTS=OFF \
  -DTINTWELL_BUILD_APP=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

mkdir -p "$root/fuzz/crashes"
# Seed folders are read as they are (libFuzzer walks them recursively); what
# the fuzzer finds goes into the first folder, the target's own corpus. The
# GIF targets start from GIF files, the palette target from palette files.
gif_seeds=()
for dir in "$root/tests/data" "$root/../shared/corpus"; do
  [ -d "$dir" ] && gif_seeds+=("$dir")
done
status=0
for target in "${targets[@]}"; do
  corpus="$root/fuzz/corpus-$target"
  mkdir -p "$corpus"
  if [ "$target" = palette_fuzzer ]; then
    seeds=("$root/fuzz/seeds/palette")
    dict="$root/fuzz/palette.dict"
  else
    seeds=("${gif_seeds[@]}")
    dict="$root/fuzz/gif.dict"
  fi
  echo "== $target for ${seconds}s"
  log="$build/$target.log"
  if ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "$build/fuzz/$target" "$corpus" "${seeds[@]}" -dict="$dict" -max_len=8192 \
       -timeout=10 -rss_limit_mb=2048 -max_total_time="$seconds" -print_final_stats=1 \
       -artifact_prefix="$root/fuzz/crashes/$target-" >"$log" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    grep -E 'cov: [0-9]+' "$log" | tail -n 1 || true
  else
    echo "$target found a failure (log: $log):"
    grep -E 'ERROR|SUMMARY|broke|broken|Test unit written' "$log" | head -n 20 || true
    status=1
  fi
done
exit $status
