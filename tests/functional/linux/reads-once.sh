#!/bin/sh
# A launch reads its configuration file once and the link to its own
# executable once, however many keys it reads, from however many sections:
# counted with strace over a whole launch that reaches the stand-in JVM.
#   reads-once.sh LAUNCHER STANDIN_LIBJVM
set -e
launcher=$1
standin=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/quarnel-reads-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/jre/lib/server"
: >"$work/jre/lib/libjava.so"
cp "$standin" "$work/jre/lib/server/libjvm.so"
cp "$launcher" "$work/app"
# Every key the launcher reads, in each of the three sections.
cat >"$work/app.ini" <<INI
[Java Runtime Environment]
Main Class=bench.Main
JRE Path=$work/jre
Minimum Version=1.8
Maximum Version=any
Preferred versions=17;11
JVM Type=favor_server
JVM Source=favor_JDK
System Path=$work/bin
Library Path=$work/lib
Virtual Machine Parameters=-Xmx50p -Dx=y
[Application]
Application Type=console
Single Instance=no
Failure Check=yes
Override WorkingDir=no
Output File=
Error File=
[Class Path]
Class Path=$work/app.jar
INI
status=0
(cd "$work" && env -u QUARNEL_TRACE -u JAVA_HOME \
    strace -f -e trace=open,openat,readlink,readlinkat -o "$work/trace" ./app >"$work/out" 2>"$work/err") || status=$?
fail() {
    echo "$1"
    echo "--- stdout"; cat "$work/out"
    echo "--- stderr"; cat "$work/err"
    echo "--- trace"; cat "$work/trace"
    exit 1
}
grep -q '^standin-jvm: ' "$work/err" || fail "the launch did not reach the stand-in JVM (exit $status)"
ini_opens=$(grep -c "\"$work/app.ini\"" "$work/trace" || true)
module_reads=$(grep -c '"/proc/self/exe"' "$work/trace" || true)
[ "$ini_opens" -eq 1 ] || fail "the configuration file was opened $ini_opens times"
[ "$module_reads" -eq 1 ] || fail "/proc/self/exe was read $module_reads times"
echo "configuration file opened once, /proc/self/exe read once"
