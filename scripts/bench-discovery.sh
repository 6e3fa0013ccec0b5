#!/bin/sh
# Runtime-search benchmark (not a test): 500 installations registered under
# wine, spread over every key the launcher scans, the search against the bare
# registry reads and file checks, timed in interleaved rounds. Uses the prefix
# of the x86_64 test build; it replaces that prefix's runtime keys, so do not
# run it while the Windows tests run there.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/x64"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build" --target discovery_bench >/dev/null
"$root/tests/support/wine.sh" start "$build/wineprefix"
# The prefix's display and server go when the benchmark ends.
trap '"$root/tests/support/wine.sh" stop "$build/wineprefix"' EXIT
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
unset JAVA_HOME QUARNEL_TRACE
/usr/lib/wine/wine64 "$build/discovery_bench.exe"
