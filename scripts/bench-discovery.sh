#!/bin/sh
# Runtime-search benchmark (not a test): 500 registered installations under
# wine, the search against the bare registry reads and file checks. Uses the
# prefix of the x86_64 test build; it replaces that prefix's JavaSoft keys, so
# do not run it while the Windows tests run there.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build" --target discovery_bench >/dev/null
"$root/tests/wine.sh" start "$build/wineprefix"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
exec /usr/lib/wine/wine64 "$build/tests/win/discovery_bench.exe"
