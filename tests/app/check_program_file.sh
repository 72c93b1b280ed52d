#!/bin/sh
# Velloran.exe must be a 32-bit PE of the GUI subsystem whose import table names only DLLs
# that every Windows has, and it must stay small enough to pass around as one file.
set -eu
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
printf '%s\n' "$dump" | grep -q 'file format pei-i386' || { echo "not a PE32 file"; exit 1; }
printf '%s\n' "$dump" | grep -Eq '^Subsystem[[:space:]]+00000002' || { echo "not a GUI program"; exit 1; }
allowed='^(kernel32|user32|gdi32|gdiplus|advapi32|shell32|ole32|oleaut32|comctl32|uxtheme|wtsapi32|msvcrt|shlwapi|psapi)\.dll$'
status=0
for dll in $(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    if ! printf '%s\n' "$dll" | grep -Eq "$allowed"; then
        echo "imports a DLL that is not part of Windows: $dll"
        status=1
    fi
done
# tools/dev bench tells what takes the room.
size=$(stat -c %s "$exe")
if [ "$size" -gt 716800 ]; then
    echo "Velloran.exe is $size bytes, more than 700 KiB"
    status=1
fi
exit $status
