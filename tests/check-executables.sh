#!/bin/sh
# The shipped Windows launchers: console programs of the right machine that
# import nothing but Windows system DLLs.
set -e
dist=$1
status=0
check() { # file, expected format, objdump
    [ -f "$1" ] || { echo "missing: $1"; status=1; return; }
    dump=$($3 -p "$1")
    echo "$dump" | grep -q "file format $2" || { echo "$1: not $2"; status=1; }
    echo "$dump" | grep -q 'Subsystem.*(Windows CUI)' || { echo "$1: not a console program"; status=1; }
    for dll in $(echo "$dump" | sed -n 's/^.*DLL Name: //p'); do
        case $(echo "$dll" | tr 'a-z' 'A-Z') in
        KERNEL32.DLL|USER32.DLL|ADVAPI32.DLL|MSVCRT.DLL|GDI32.DLL|SHELL32.DLL|COMCTL32.DLL|OLE32.DLL) ;;
        *) echo "$1 imports $dll"; status=1 ;;
        esac
    done
}
check "$dist/x86/quarnel.exe" pei-i386 i686-w64-mingw32-objdump
check "$dist/x64/quarnel.exe" pei-x86-64 x86_64-w64-mingw32-objdump
[ $status -eq 0 ] && echo "shipped executables: console programs importing only system DLLs"
exit $status
