#!/bin/sh
# A launcher whose path is longer than its 260-character module buffer must
# report the failure, not read the configuration named by the cut path:
# C:\qt\LongModulePath\v1.2\<240 L>\app.exe cut to 260 characters ends in
# "v1.2\LLL...", whose last "." names C:\qt\LongModulePath\v1.ini.
#
# Started from here rather than from a test program: wine's CreateProcessA and
# CreateProcessW refuse a program path that long, while its loader, started
# from the command line, runs the program from it (the module path is then
# the long path, as on Windows).
#
# $1: the build folder (quarnel.exe and the test JVM jvm.dll); WINEPREFIX set.
set -e
build=$1
product=$WINEPREFIX/drive_c/qt/LongModulePath
long=$(printf '%240s' '' | tr ' ' L)
rm -rf "$product"
mkdir -p "$product/v1.2/$long" "$product/jre/bin/client"
trap 'rm -rf "$product"' EXIT
cp "$build/quarnel.exe" "$product/v1.2/$long/app.exe"
cp "$build/jvm.dll" "$product/jre/bin/client/jvm.dll"
: >"$product/jre/bin/java.dll"
printf 'class=App\nmain=out ran the wrong configuration\n' >"$product/jre/bin/client/fakejvm.ini"
config='[Java Runtime Environment]\nMain Class=App\nJRE Path=C:\\qt\\LongModulePath\\jre\\\n[Class Path]\nClass Path=a.jar\n'
printf "$config" >"$product/v1.ini"
printf "$config" >"$product/v1.2/$long/app.ini"

status=0
(cd "$product" && /usr/lib/wine/wine64 "C:\\qt\\LongModulePath\\v1.2\\$long\\app.exe" \
    </dev/null >"$product/out" 2>"$product/err") || status=$?
printf 'Error: Windows exception: failed to get the module path (errno = 122).\n \n' >"$product/expected"

failed=0
if ! cmp -s "$product/out" "$product/expected"; then
    echo "standard output:"; od -c "$product/out" | head -20; failed=1
fi
if [ -s "$product/err" ]; then
    echo "standard error:"; cat "$product/err"; failed=1
fi
if [ "$status" != 255 ]; then
    echo "exit status $status, expected 255 (-1)"; failed=1
fi
if [ -e "$product/jre/bin/client/fakejvm.log" ]; then
    echo "a JVM was created:"; cat "$product/jre/bin/client/fakejvm.log"; failed=1
fi
[ $failed = 0 ] && echo "long module path: reported, nothing run"
exit $failed
