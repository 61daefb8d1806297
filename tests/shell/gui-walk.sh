#!/bin/bash
# Walks the wizard through its five pages from outside, by window messages
# only (tools/gui_driver), keeps a screenshot of each page and checks the
# finished report.   gui-walk.sh EXE DRIVER WORKDIR [SKIN-DLL]
set -uo pipefail
. "$(dirname "$0")/../../scripts/wine-env"
exe="$1"; driver="$2"; work="$3"
here="$(cd "$(dirname "$0")" && pwd)"
rm -rf "$work"; mkdir -p "$work"; cd "$work"
cp "$exe" "$driver" .
[ -n "${4:-}" ] && cp "$4" .
. "$here/gui-lib.sh"

"$LMR_WINE" "$(basename "$exe")" & pid=$!

drive page1-system <<'CMD'
wait-window
text 100 LMRTSWizard
text 110 Информация о системе.
count 201 5
line 201 0 OS Version: 
line 201 4 HardDrives: 
enabled 201 0
text 202 Начать
text 403 
text 406 
enabled 410 0
CMD
# The report exists from start-up with its header.
head -c 45 LMRTSWizard.xml | grep -q '^<?xml version="1.0" encoding="windows-1251"?>$' || fail "report header"

drive page2-engine <<'CMD'
wait-window
click 202
line 201 0 OS Version: Complete
line 201 4 HardDrives: Complete
visible 201 0
visible 301 1
text 111 Информация о конфигурации MSDE.
count 301 5
line 301 0 Install: 
enabled 301 1
CMD

drive page3-install <<'CMD'
wait-window
click 302
line 301 0 Install: Complite
line 301 4 Default Collation Name: Complite
visible 403 1
text 112 Получение настроек "Люмаро"
text 401 Укажите путь к "Люмаро"
# Disabled before the guard, still disabled after it.
enabled 410 0
settext 403 C:\windows
enabled 410 1
settext 403 
enabled 410 0
settext 406 C:\no such folder
enabled 410 0
settext 406 C:\windows
enabled 410 1
visible 409 0
click 408
visible 409 1
click 408
visible 409 0
click 408
CMD

drive page4-database <<'CMD'
wait-window
click 410
visible 501 1
text 113 Database информация "Люмаро"
count 501 5
line 501 4 Check SP & FN: 
CMD

drive page5-network <<'CMD'
wait-window
click 502
# The engine does not run: the database stage ends before its first mark.
line 501 0 Connecting To MasterDB: 
line 501 1 Check Exist Lumaro DataBases: 
visible 601 1
count 601 3
visible 603 0
enabled 602 1
CMD

drive page5-finished <<'CMD'
wait-window
click 602
line 601 2 Lumaro Network Options: Complete
enabled 602 0
visible 603 1
enabled 603 1
text 603 Закрыть
CMD

cat > close.cmd <<'CMD'
wait-window
click 603
wait-gone
CMD
"$LMR_WINE" "$(basename "$driver")" close.cmd || fail "closing"
wait "$pid" 2>/dev/null

# No engine in the test prefix: the engine section says so.
engine=$'<MSDEOptions><Install>No</Install>\r\n<AutoStart>No</AutoStart>\r\n<State>Error</State>\r\n<LoginMode>Error</LoginMode>\r\n<DefCollationName>Error</DefCollationName>\r\n</MSDEOptions>'
# The database section holds its one element, then ends.
grep -qxF $'</Client></LumaroOptions><DataBaseOptions><SQLServer_Status>Not Installing or Not Ready</SQLServer_Status>\r' LMRTSWizard.xml &&
  grep -q '^</DataBaseOptions><NetWork>' LMRTSWizard.xml || fail "database section after LumaroOptions"
grep -qF "</DataBaseOptions><NetWork><Ports>" LMRTSWizard.xml || fail "network section after the database section"
tail_expected="</NetAdapters></NetWork></LMRTSWizard.xml>"
[ "$(tail -c ${#tail_expected} LMRTSWizard.xml)" = "$tail_expected" ] || fail "report end: $(tail -c 200 LMRTSWizard.xml)"
grep -qF "$engine<LumaroOptions>" LMRTSWizard.xml || fail "engine section"
# Only the client folder was given (C:\windows): no configuration, its files listed.
grep -q '<ClientFiles>' LMRTSWizard.xml || fail "no client files listed"
grep -q 'notepad.exe' LMRTSWizard.xml || fail "notepad.exe not among the client files"
grep -q '<SystemInfo><Time>' LMRTSWizard.xml || fail "no SystemInfo section"
xmllint --noout LMRTSWizard.xml || fail "report is not well-formed"
"$here/check-systeminfo.py" LMRTSWizard.xml "$WINEPREFIX" || fail "SystemInfo disagrees with the host"
"$LMR_WINESERVER" -k 2>/dev/null
[ $failed = 0 ] && echo "ok: five pages walked, report complete; screenshots in $work"
exit $failed
