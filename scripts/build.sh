#!/bin/sh
# Builds the launcher three ways and leaves the shipped executables in dist/:
#   dist/x86/quarnel.exe        32-bit Windows console program
#   dist/x64/quarnel.exe        64-bit Windows console program
#   dist/x86/quarnelw.exe       their window-subsystem twins, for desktop
#   dist/x64/quarnelw.exe       programs: no console window
#   dist/linux-x64/quarnel      Linux executable
# with the branding tool beside them (dist/x64/quarnel-brand.exe,
# dist/linux-x64/quarnel-brand),
# and the parsers' fuzz targets in build/fuzz (clang, a tree of their own).
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build() { # folder, extra cmake arguments...
    dir=$1; shift
    cmake -S "$root" -B "$root/build/$dir" -G Ninja "$@" >/dev/null
    cmake --build "$root/build/$dir"
}
build x86 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DQUARNEL_TESTS=OFF -DQUARNEL_DIST="$root/dist/x86"
build x64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DQUARNEL_DIST="$root/dist/x64"
build linux -DQUARNEL_DIST="$root/dist/linux-x64"
CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$root/build/fuzz" -G Ninja >/dev/null
cmake --build "$root/build/fuzz"
