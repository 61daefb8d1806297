#!/bin/bash
# Drives the wizard to its database page and through its stage against the
# TDS stand-in, from outside by window messages (tools/gui_driver): the
# engine runs (its registry entries and the stand-in service-control
# library), the server folder's DbEngine.ini names the stand-in, and the SA
# password prompt is answered wrongly, then rightly. Checks the dialog, the
# progress marks and the report's "DataBaseOptions" byte for byte.
#   gui-sa-prompt.sh EXE DRIVER W95SCM-DLL WORKDIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../../scripts/wine-env"
exe="$1"; driver="$2"; dll="$3"; work="$4"
rm -rf "$work"; mkdir -p "$work"; cd "$work"
. "$here/../shell/gui-lib.sh"

# A prefix of its own: the engine's entries must not reach other tests.
export WINEPREFIX="$work/prefix"
"$here/../../scripts/wine-prefix" "$WINEPREFIX" || { echo "no Wine prefix"; exit 1; }
standin="$here/../../tools/tds_standin/standin-env"
eval "$("$standin" start "$work/standin" "$here/wine_fixture.json" --lifetime 300)" || exit 1
cleanup() { "$LMR_WINESERVER" -k 2>/dev/null; "$standin" stop "$work/standin"; }
trap cleanup EXIT

cp "$exe" "$driver" .
engine_running "$dll"
product_config "127.0.0.1,$LMR_STANDIN_PORT"
printf 'calca\r\n' > DBObjects_Func.txt

"$LMR_WINE" "$(basename "$exe")" & pid=$!
# The report is created once the window has its controls.
for _ in $(seq 300); do [ -s LMRTSWizard.xml ] && break; sleep 0.1; done
drive to-prompt <<CMD
wait-window
click 202
click 302
line 301 0 Install: Complite
settext 403 Z:${work//\//\\}\\server
click 410
visible 501 1
click-async 502
wait-dialog Ошибка
dlg-text 100 Введите пароль пользователя SA для MSDE.
dlg-text 101 
enabled-main 0
CMD
drive answered <<CMD
wait-window
wait-dialog Ошибка
dlg-settext 101 S3cret
dlg-click 1
wait-dialog-gone
wait-dialog Ошибка
dlg-text 101 S3cret
dlg-settext 101 S3cret;x
dlg-click 1
wait-dialog-gone
wait-visible 601 1
line 501 0 Connecting To MasterDB: Complete
line 501 4 Check SP & FN: Complete
CMD
printf 'wait-window\nclose\nwait-gone\n' > close.cmd
"$LMR_WINE" "$(basename "$driver")" close.cmd || fail "closing"
wait "$pid" 2>/dev/null

section="<DataBaseOptions>"
v() { section+="<$1>$2</$1>"$'\r\n'; }
v MasterDB_Connected Yes; v Exist_Tav Yes; v Exist_School Yes; v Exist_Search Yes
v Exist_ No; v Exist_ No; v Exist_ No
v Tav_Connected Yes; v School_Connected Yes; v Search_Connected Yes
v Access_Lumaro_To_TavDB Yes; v Access_Lumaro_To_SchoolDB Yes; v Access_Lumaro_To_SearchDB No
section+="<Functions_Not_Found>"; v F CalcB; v F $'\xD0\xE0\xF1\xF7\xB8\xF2'
section+="</Functions_Not_Found></DataBaseOptions>"
report=LMRTSWizard.xml
EXPECTED="</LumaroOptions>$section</LMRTSWizard.xml>" python3 -c '
import os, sys
expected = os.environb[b"EXPECTED"]
sys.exit(0 if open(sys.argv[1], "rb").read().endswith(expected) else 1)' "$report" ||
  fail "database section: $(grep -ao '<DataBaseOptions>.*' "$report" | head -c 600)"
grep -q 'S3cret' "$report" && fail "the SA password reached the report"
xmllint --noout "$report" || fail "report is not well-formed"
[ $failed = 0 ] && echo "ok: SA prompt answered, database section as expected; screenshot in $work"
exit $failed
