#!/bin/sh
# Runs the corpus's queries through GetPrivateProfileStringA (the Windows
# probe under wine64) and through the launcher's Linux reader, and fails on
# any difference, showing it.
#
#   differential.sh <Linux probe> <Windows probe> <corpus folder>
# WINEPREFIX and the rest of the wine environment are set by the caller.
set -e
linux=$1 windows=$2 corpus=$3
if [ ! -x "$linux" ]; then
    echo "no Linux probe at $linux: build build/linux first (scripts/build.sh)"
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$linux" "$corpus" "$corpus/queries.txt" >"$work/linux"
# Wine maps the Unix root to Z:.
/usr/lib/wine/wine64 "$windows" "Z:$(printf '%s' "$corpus" | tr / '\\')" "Z:$(printf '%s' "$corpus/queries.txt" | tr / '\\')" \
    </dev/null | tr -d '\r' >"$work/windows"
if ! diff -u "$work/windows" "$work/linux" >"$work/diff"; then
    echo "--- GetPrivateProfileStringA, +++ the Linux reader:"
    cat "$work/diff"
    exit 1
fi
echo "$(wc -l <"$work/linux") queries agree"
