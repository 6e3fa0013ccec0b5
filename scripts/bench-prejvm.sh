#!/bin/sh
# Pre-JVM benchmark (not a test): the launcher's own work before the JVM
# against a minimal loader of the same stand-in JVM library, on Linux (CPU
# time and system calls, strace needed) and under wine64 (wall time, in the
# prefix of the x86_64 test build; skipped with NO_WINE=1), then the sizes of
# the shipped Windows executables. Run it on a quiet machine.
#   bench-prejvm.sh [--linux]    (--linux: the Linux part only)
set -e
linux_only=0
if [ "${1:-}" = --linux ]; then linux_only=1; fi
root=$(cd "$(dirname "$0")/.." && pwd)
configure() { # folder, extra cmake arguments...
    dir=$1; shift
    cmake -S "$root" -B "$root/build/$dir" -G Ninja "$@" >/dev/null
}
build() { # folder, targets... (the build's output only when it fails)
    dir=$1; shift
    cmake --build "$root/build/$dir" --target "$@" >"$root/build/$dir/bench-build.log" ||
        { cat "$root/build/$dir/bench-build.log"; exit 1; }
}
configure linux -DQUARNEL_DIST="$root/dist/linux-x64"
build linux quarnel minimal_loader standin_jvm
linux="$root/build/linux"
unset QUARNEL_TRACE JAVA_HOME
python3 "$root/bench/prejvm.py" linux "$linux/quarnel" "$linux/bench/minimal_loader" \
    "$linux/bench/libjvm.so"
if [ $linux_only = 1 ]; then exit 0; fi

configure x86 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DQUARNEL_TESTS=OFF -DQUARNEL_DIST="$root/dist/x86"
build x86 quarnel
configure x64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DQUARNEL_DIST="$root/dist/x64"
build x64 quarnel minimal_loader standin_jvm
if [ "${NO_WINE:-0}" != 1 ]; then
    x64="$root/build/x64"
    "$root/tests/support/wine.sh" start "$x64/wineprefix"
    trap '"$root/tests/support/wine.sh" stop "$x64/wineprefix"' EXIT
    python3 "$root/bench/prejvm.py" wine "$root/dist/x64/quarnel.exe" "$x64/bench/minimal_loader.exe" \
        "$x64/bench/jvm.dll" "$x64/wineprefix"
fi
for arch in x86 x64; do
    echo "dist/$arch/quarnel.exe: $(wc -c <"$root/dist/$arch/quarnel.exe") bytes"
done
