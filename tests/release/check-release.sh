#!/bin/bash
# Checks the package that scripts/release makes and runs what it holds under
# Wine:   check-release.sh ZIP OBJDUMP WORKDIR STARTUP_TIMER [WIN64-TWIN]
# The package must hold exactly the exe, the skin library and the two guides;
# the exe must be a 32-bit GUI program importing only system DLLs, the skin a
# 32-bit DLL with both skin resources, the guides UTF-8 with a byte-order mark
# and CRLF line ends. Then the exe is started from the unpacked folder as a
# double click would (that folder current), its window must show and close on
# WM_CLOSE, and the report it leaves beside it must be complete and
# well-formed. A host that runs no 32-bit code cannot run the shipped exe at
# all: there the 64-bit twin of the same sources (WIN64-TWIN) runs in its
# place, beside the package's own skin library.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$here/../.."
zip="$1"; objdump="$2"; work="$3"; timer="$4"; twin="${5:-}"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

rm -rf "$work"; mkdir -p "$work/unpacked"
names=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip") \
  || { echo "FAIL: $zip is no zip archive"; exit 1; }
expected=$'LMRTSWizard.exe\nlmrSysLSR.dll\nsupport-guide.en.txt\nsupport-guide.ru.txt'
[ "$names" = "$expected" ] || fail "package holds: $(echo $names)"
python3 -m zipfile -e "$zip" "$work/unpacked" || { echo "FAIL: cannot unpack $zip"; exit 1; }
cd "$work/unpacked"

"$root/tests/shell/check-imports.sh" LMRTSWizard.exe "$objdump" >/dev/null || fail "exe imports: $("$root/tests/shell/check-imports.sh" LMRTSWizard.exe "$objdump" | grep -v '^imports')"
grep -q 'Magic.*010b' <<<"$("$objdump" -p lmrSysLSR.dll)" || fail "lmrSysLSR.dll is not PE32"
python3 - lmrSysLSR.dll <<'PY' || fail "lmrSysLSR.dll lacks a skin resource"
import sys
data = open(sys.argv[1], "rb").read()
sys.exit(0 if all(n.encode("utf-16-le") in data for n in ("SKINDATA", "SKININI")) else 1)
PY
for guide in support-guide.en.txt support-guide.ru.txt; do
  [ "$(head -c 3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$guide has no UTF-8 byte-order mark"
  iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null 2>&1 || fail "$guide is not UTF-8"
  [ "$(grep -c $'\r$' "$guide")" = "$(wc -l < "$guide")" ] || fail "$guide has lines without CRLF"
  grep -q 'LMRTSWizard.xml' "$guide" || fail "$guide does not say where the report is"
done

. "$root/scripts/wine-env"
if "$root/scripts/host-runs-32bit"; then
  export WINEARCH=win32 LMR_WINE=wine LMR_WINESERVER=wineserver
else
  [ -n "$twin" ] || { echo "FAIL: this host runs no 32-bit code and no 64-bit twin was given"; exit 1; }
  echo "note: this host runs no 32-bit code; running the 64-bit twin with the package's skin library"
  cp "$twin" LMRTSWizard.exe
fi
export WINEPREFIX="${WINEPREFIX:-$work/wineprefix}"
[ -f "$WINEPREFIX/system.reg" ] || "$root/scripts/wine-prefix" "$WINEPREFIX" || { echo "FAIL: no Wine prefix"; exit 1; }
timeout 120 "$LMR_WINE" "$timer" 1 LMRTSWizard.exe || fail "the exe did not show its window and close on WM_CLOSE"
header=$'<?xml version="1.0" encoding="windows-1251"?>\n\r<LMRTSWizard.xml>\n\r'
[ "$(head -c ${#header} LMRTSWizard.xml 2>/dev/null)" = "$header" ] || fail "no report with its header beside the exe"
[ "$(tail -c 18 LMRTSWizard.xml 2>/dev/null)" = "</LMRTSWizard.xml>" ] || fail "report not closed: $(tail -c 60 LMRTSWizard.xml 2>/dev/null)"
xmllint --noout LMRTSWizard.xml || fail "report is not well-formed"
[ $failed = 0 ] && echo "ok: package complete; its exe showed its window, closed and left a complete report"
exit $failed
