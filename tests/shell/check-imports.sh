#!/bin/bash
# The exe must import only DLLs that every Windows has: check-imports.sh EXE OBJDUMP
set -euo pipefail
exe="$1"; objdump="$2"
allowed=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll ole32.dll 
 oleaut32.dll advapi32.dll ws2_32.dll iphlpapi.dll wininet.dll version.dll odbc32.dll msvcrt.dll "
headers=$("$objdump" -p "$exe")
grep -q 'Magic.*010b' <<<"$headers" || { echo "$exe is not PE32"; exit 1; }
grep -q 'Subsystem.*00000002' <<<"$headers" || { echo "$exe is not a GUI program"; exit 1; }
dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no imports found in $exe"; exit 1; }
bad=0
for d in $dlls; do
  case "$allowed" in *" $d "*) echo "imports $d" ;; *) echo "FORBIDDEN import: $d"; bad=1 ;; esac
done
exit $bad
