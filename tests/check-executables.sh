#!/bin/sh
# The shipped Windows launchers: console programs, and their window twins,
# of the right machine, within their size budget, whose start imports nothing but the kernel and
# the system C runtime. The window system (USER32, GDI32, COMCTL32, SHELL32,
# OLE32) and ADVAPI32 are bound at their first call and so appear only as DLL
# names for the binding helper, never in the import table.
set -e
dist=$1
budget=90112
status=0
check() { # file, expected format, objdump, subsystem
    [ -f "$1" ] || { echo "missing: $1"; status=1; return; }
    size=$(wc -c <"$1")
    [ "$size" -le $budget ] || { echo "$1: $size bytes, over the budget of $budget"; status=1; }
    dump=$($3 -p "$1")
    echo "$dump" | grep -q "file format $2" || { echo "$1: not $2"; status=1; }
    echo "$dump" | grep -q "Subsystem.*(Windows $4)" || { echo "$1: not a Windows $4 program"; status=1; }
    for dll in $(echo "$dump" | sed -n 's/^.*DLL Name: //p'); do
        case $(echo "$dll" | tr 'a-z' 'A-Z') in
        KERNEL32.DLL|MSVCRT.DLL) ;;
        *) echo "$1 imports $dll at start"; status=1 ;;
        esac
    done
    for dll in advapi32 user32 gdi32 comctl32 shell32 ole32; do
        grep -q -a "$dll\.dll" "$1" || { echo "$1: no delayed $dll.dll"; status=1; }
    done
}
check "$dist/x86/quarnel.exe" pei-i386 i686-w64-mingw32-objdump CUI
check "$dist/x64/quarnel.exe" pei-x86-64 x86_64-w64-mingw32-objdump CUI
check "$dist/x86/quarnelw.exe" pei-i386 i686-w64-mingw32-objdump GUI
check "$dist/x64/quarnelw.exe" pei-x86-64 x86_64-w64-mingw32-objdump GUI
[ $status -eq 0 ] && echo "shipped executables: console programs and window twins within $budget bytes, importing only kernel and C runtime at start"
exit $status
