#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what the desktop needs:
# the program, the desktop entry and AppStream data (with their validators),
# the icons at every size, the manual pages and the command-line tool's shell
# completion.
#   check_install.sh <build folder>
# Exits 77 (skipped) when a validator is missing; scripts/deps.sh installs them.
set -uo pipefail
build=$1
id=org.example.marrowlake.Tintwell
for tool in desktop-file-validate appstreamcli; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool missing; skipping"
    exit 77
  fi
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: install"; exit 1; }

[ -x "$prefix/bin/tintwell" ] || fail "bin/tintwell missing"
desktop="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
[ -f "$desktop" ] || fail "$desktop missing"
[ -f "$metainfo" ] || fail "$metainfo missing"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=tintwell %f' "$desktop" || fail "Exec line"
grep -qx 'MimeType=image/gif;' "$desktop" || fail "MimeType line"
grep -qx "Icon=$id" "$desktop" || fail "Icon line"
appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"

# Each PNG is square at the size its folder names (width and height are the
# big-endian words at offsets 16 and 20 of the header).
for size in 16 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  if [ ! -f "$png" ]; then fail "$png missing"; continue; fi
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
done
svg="$prefix/share/icons/hicolor/scalable/apps/$id.svg"
grep -q '<svg ' "$svg" 2>/dev/null || fail "$svg missing"

man="$prefix/share/man/man1/tintwell.1"
if [ ! -f "$man" ]; then
  fail "$man missing"
elif command -v groff >/dev/null; then
  warnings=$(groff -man -Tutf8 -ww -z "$man" 2>&1)
  [ -z "$warnings" ] || fail "tintwell.1: $warnings"
fi

# The command-line tool's completion scripts, where each shell looks for them;
# bash must load its own without a complaint and then know the command.
[ -x "$prefix/bin/tintwell-cli" ] || fail "bin/tintwell-cli missing"
for script in bash-completion/completions/tintwell-cli zsh/site-functions/_tintwell-cli \
  fish/vendor_completions.d/tintwell-cli.fish; do
  [ -s "$prefix/share/$script" ] || fail "share/$script missing"
done
loaded=$(bash --norc -c 'source "$1" && complete -p tintwell-cli' bash \
  "$prefix/share/bash-completion/completions/tintwell-cli" 2>&1)
[[ $loaded == *"-F _tintwell_cli tintwell-cli" ]] || fail "bash completion: $loaded"

[ "$failures" -eq 0 ] && echo "installed tree is complete and valid"
exit $((failures > 0))
