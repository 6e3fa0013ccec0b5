#!/bin/sh
# The launcher's main job on the sample product: builds the Linux launcher and
# the sample Java program, lays out build/sample/ as a product ships it
# (hello beside hello.ini and its classes), and starts it with the arguments
# given here. The launcher finds the installed JDK by itself.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build/linux" -G Ninja -DQUARNEL_DIST="$root/dist/linux-x64" >/dev/null
cmake --build "$root/build/linux" --target quarnel >/dev/null
product="$root/build/sample"
rm -rf "$product" && mkdir -p "$product/classes"
javac -d "$product/classes" "$root/sample/Hello.java"
cp "$root/dist/linux-x64/quarnel" "$product/hello"
cp "$root/sample/hello.ini" "$product/hello.ini"
set +e
"$product/hello" "$@"
status=$?
echo "exit code: $status"
exit $status
