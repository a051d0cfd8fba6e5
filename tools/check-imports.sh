#!/bin/sh
# Fails unless the executable imports only Windows system DLLs (ole32 for velmora's imaging
# component among them): no MinGW runtime DLL (the program is linked statically) and no dwmapi.dll
# (the DWM is bound at run time, so the tool starts where there is none).  check-imports.sh OBJDUMP program.exe
set -eu
objdump=$1
exe=$2
imports=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "no import table read from $exe" >&2; exit 1; }
status=0
for dll in $imports; do
    case "$dll" in
        kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|version.dll|advapi32.dll|ole32.dll|msvcrt.dll|ucrtbase.dll|api-ms-win-crt-*.dll) ;;
        *) echo "unexpected import: $dll" >&2; status=1 ;;
    esac
done
echo "imports:" $imports
exit $status
