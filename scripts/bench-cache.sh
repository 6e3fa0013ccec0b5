#!/bin/sh
# Start-up cache benchmark (not a test): real applications from Debian's
# packages (installed here when missing) through the Linux launcher with
# "Startup Cache=yes", against `java -cp` on each JDK present. Run it on a
# quiet machine. RUNS and FIRST_RUNS set the number of starts.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
missing=""
for p in clojure groovy rhino jython; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing >/dev/null
fi
cmake -S "$root" -B "$root/build/linux" -G Ninja -DQUARNEL_DIST="$root/dist/linux-x64" >/dev/null
cmake --build "$root/build/linux" --target quarnel >/dev/null
exec python3 "$root/bench/startup_cache.py" "$root/dist/linux-x64/quarnel" \
    /usr/lib/jvm/java-17-openjdk-amd64 /usr/lib/jvm/temurin-25-jdk-amd64
