#!/usr/bin/env bash
# Runs the real tintwell executable with the options that answer on the
# terminal: --help and --version without any display, and the refusals of a
# command line it does not understand.
#   options_test.sh <path to tintwell> <expected version>
set -uo pipefail
exe=$1
version=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# No display of any kind: a QApplication made here would abort.
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)

for option in --version -V; do
  out=$("${nodisplay[@]}" "$exe" "$option" 2>&1); rc=$?
  [ "$rc" -eq 0 ] || fail "$option exited with $rc: $out"
  [ "$out" = "tintwell $version" ] || fail "$option printed '$out'"
done

for option in --help -h; do
  out=$("${nodisplay[@]}" "$exe" "$option" 2>&1); rc=$?
  [ "$rc" -eq 0 ] || fail "$option exited with $rc: $out"
  grep -q '^Usage: tintwell \[FILE\]$' <<<"$out" || fail "$option printed '$out'"
  grep -q -- '--version' <<<"$out" || fail "$option does not mention --version"
done

# Qt's own options before ours do not hide the answer.
out=$("${nodisplay[@]}" "$exe" -style fusion --version 2>&1); rc=$?
[ "$rc" -eq 0 ] && [ "$out" = "tintwell $version" ] || fail "-style fusion --version: $rc '$out'"

# Refusals need the application object, so they get the offscreen platform;
# the window must not open, or the run would not end.
for args in "--bogus" "one.gif two.gif"; do
  # shellcheck disable=SC2086  # the arguments are meant to split
  out=$(QT_QPA_PLATFORM=offscreen timeout 20 "$exe" $args 2>&1); rc=$?
  [ "$rc" -eq 2 ] || fail "'$args' exited with $rc: $out"
  grep -q "Try 'tintwell --help'" <<<"$out" || fail "'$args' printed '$out'"
done
# Qt takes its own options out before ours are read.
out=$(timeout 20 "$exe" -platform offscreen --bogus 2>&1); rc=$?
[ "$rc" -eq 2 ] && grep -q "unknown option '--bogus'" <<<"$out" ||
  fail "-platform offscreen --bogus: $rc '$out'"

[ "$failures" -eq 0 ] && echo "all option checks passed"
exit $((failures > 0))
