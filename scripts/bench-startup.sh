#!/bin/sh
# Start-up benchmark (not a test): the Linux launcher against `java -cp`.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/linux" -G Ninja -DQUARNEL_DIST="$root/dist/linux-x64" >/dev/null
cmake --build "$root/build/linux" --target quarnel >/dev/null
exec python3 "$root/bench/startup.py" "$root/dist/linux-x64/quarnel" "${JDK:-/usr/lib/jvm/java-17-openjdk-amd64}"
