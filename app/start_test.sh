#!/usr/bin/env bash
# Starts the real tintwell executable on a virtual X display and checks that a
# top-level window titled "Tintwell" with the 676 x 383 client area appears.
#   start_test.sh <path to tintwell>
set -euo pipefail
exe=$1
if ! command -v xvfb-run >/dev/null || ! command -v xwininfo >/dev/null; then
  echo "xvfb-run or xwininfo missing; skipping"
  exit 77
fi
# shellcheck disable=SC2016  # expanded by the inner shell
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1" & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  for _ in $(seq 1 600); do
    if xwininfo -root -tree 2>/dev/null | grep -E "\"Tintwell\": \(\"tintwell\" .*676x383" ; then
      exit 0
    fi
    if ! kill -0 $pid 2>/dev/null; then echo "tintwell ended early"; exit 1; fi
    sleep 0.1
  done
  echo "no 676x383 window titled Tintwell appeared"
  xwininfo -root -tree 2>/dev/null | grep -i tintwell || true
  exit 1
' _ "$exe"
