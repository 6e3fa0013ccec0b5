#!/bin/sh
# Installs what is missing, builds everything and runs every test: the Linux
# unit and real-JVM tests, then the Windows tests under wine64.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
status=0
(cd "$root/build/linux" && ctest --output-on-failure) || status=1
(cd "$root/build/x64" && ctest --output-on-failure) || status=1
exit $status
