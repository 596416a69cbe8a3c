#!/usr/bin/env bash
# Times tintwell-cli recolour over a batch of copies of the corpus files with
# -j 1 and with -j = cores, against a plain load + save of the same files
# (bench/loadsave.cpp), and palette sort --by hue with -j = cores beside them
# (it rewrites every frame's pixels, where recolour only touches the tables);
# reports files per second, the speed-up of the parallel run, the cost of -j 1
# over load + save and the rate of the sort against recolour's.
#
#   bash bench/cli.sh [--files N] [--rounds N] [--dir DIR]
#
# The batch lives in DIR (default: /dev/shm when there is one, so that the
# figures are of the program and not of the disk; give a folder on a disk to
# see what its fsync costs).
#
# Each round runs the four in turn, their order rotating from round to round;
# the best and the median round are reported. Every run writes into a fresh folder,
# so each file is a new file written with the safe save (including its fsync).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
files=1000
rounds=5
dir=/tmp
[[ -d /dev/shm && -w /dev/shm ]] && dir=/dev/shm
while [[ $# -gt 0 ]]; do
  case "$1" in
    --files) files="$2"; shift 2 ;;
    --rounds) rounds="$2"; shift 2 ;;
    --dir) dir="$2"; shift 2 ;;
    *) echo "usage: bash bench/cli.sh [--files N] [--rounds N] [--dir DIR]" >&2; exit 2 ;;
  esac
done
cores="$(nproc)"

"$root/scripts/deps.sh"
build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTINTWELL_BUILD_BENCH=ON \
  -DTINTWELL_BUILD_TESTS=OFF -DTINTWELL_BUILD_APP=OFF >/dev/null
cmake --build "$build" --target tintwell-cli tintwell_loadsave --parallel "$cores" >/dev/null
cli="$build/cli/tintwell-cli"
loadsave="$build/bench/tintwell_loadsave"

corpus="$(cmake -L -N "$build" 2>/dev/null | sed -n 's/^TINTWELL_CORPUS_DIR:PATH=//p')"
# A worktree has no shared corpus beside it; the tests' copy is always there.
[[ -d "$corpus" ]] || corpus="$root/tests/data/corpus"
work="$(mktemp -d "$dir/tintwell-cli-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The corpus files the library loads and saves, copied round-robin to the
# batch size.
mapfile -t sources < <(find "$corpus" -name '*.gif' -print0 | sort -z |
  xargs -0 -n 1 sh -c '"$0" "$1" "$2" >/dev/null 2>&1 && printf "%s\n" "$2"' \
    "$loadsave" "$work/probe")
rm -rf "$work/probe"
mkdir "$work/in"
for ((i = 0; i < files; i++)); do
  cp "${sources[i % ${#sources[@]}]}" "$(printf '%s/in/%04d.gif' "$work" "$i")"
done
bytes="$(du -sb "$work/in" | cut -f1)"
echo "batch: $files copies of ${#sources[@]} corpus files, $((bytes / 1024)) KiB, in $dir, $cores cores"

# Wall time and processor time (user + system) of each run: on a shared
# machine the wall time of the parallel run depends on what else runs.
declare -A times cpu
run() {  # name command...
  local name="$1"; shift
  rm -rf "$work/out"
  /usr/bin/time -o "$work/time" -f '%e %U %S' "$@" >/dev/null
  read -r wall user system <"$work/time"
  times[$name]+="$wall "
  cpu[$name]+="$(echo "$user + $system" | bc) "
}
recolour=(recolour --from-hue 0 --to-hue 80 --tolerance 20)
sort=(palette sort --by hue)
names=(loadsave j1 jcores sort)
for ((r = 0; r < rounds; r++)); do
  for ((k = 0; k < ${#names[@]}; k++)); do
    case "${names[(r + k) % ${#names[@]}]}" in
      loadsave) run loadsave "$loadsave" "$work/out" "$work"/in/*.gif ;;
      j1) run j1 "$cli" "${recolour[@]}" -j 1 --out-dir "$work/out" "$work"/in/*.gif ;;
      jcores) run jcores "$cli" "${recolour[@]}" -j "$cores" --out-dir "$work/out" "$work"/in/*.gif ;;
      sort) run sort "$cli" "${sort[@]}" -j "$cores" --out-dir "$work/out" "$work"/in/*.gif ;;
    esac
  done
done

median() { tr ' ' '\n' <<<"$1" | grep . | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
best() { tr ' ' '\n' <<<"$1" | grep . | sort -g | head -1; }
rate() { echo "scale=0; $files / $1" | bc; }
# The best round is the one least disturbed by other work on the machine; the
# median shows what a run typically takes there.
printf '%d rounds          best wall s  files/s  median wall s  files/s  median cpu s\n' "$rounds"
for name in "${names[@]}"; do
  case "$name" in
    loadsave) label='load + save' ;;
    j1) label='recolour -j 1' ;;
    jcores) label="recolour -j $cores" ;;
    sort) label="sort -j $cores" ;;
  esac
  fast="$(best "${times[$name]}")"
  typical="$(median "${times[$name]}")"
  spent="$(median "${cpu[$name]}")"
  printf '%-18s %11.2f %8d %14.2f %8d %13.2f\n' "$label" "$fast" "$(rate "$fast")" \
    "$typical" "$(rate "$typical")" "$spent"
  declare "${name}_best=$fast" "${name}_median=$typical" "${name}_cpu=$spent"
done
ratio() { echo "scale=4; $1 / $2" | bc; }
printf 'speed-up -j %d over -j 1: %.2fx best, %.2fx median\n' "$cores" \
  "$(ratio "$j1_best" "$jcores_best")" "$(ratio "$j1_median" "$jcores_median")"
printf 'cost of -j 1 over load + save: %.2fx best, %.2fx median, %.2fx cpu\n' \
  "$(ratio "$j1_best" "$loadsave_best")" "$(ratio "$j1_median" "$loadsave_median")" \
  "$(ratio "$j1_cpu" "$loadsave_cpu")"
# Rates are inverse times: sort's rate over recolour's is recolour's time over sort's.
printf 'palette sort -j %d against recolour -j %d: %.2fx best, %.2fx median\n' "$cores" "$cores" \
  "$(ratio "$jcores_best" "$sort_best")" "$(ratio "$jcores_median" "$sort_median")"
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
