#!/bin/sh
# Installs what is missing, builds everything and runs every test: the Linux
# unit tests (sanitized, then plain under Valgrind) and real-JVM tests, the
# Windows tests under wine64, and each fuzz target briefly on its corpus.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
status=0
(cd "$root/build/linux" && ctest --output-on-failure) || status=1
(cd "$root/build/x64" && ctest --output-on-failure) || status=1
(cd "$root/build/fuzz" && ctest --output-on-failure) || status=1
exit $status
