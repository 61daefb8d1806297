#!/bin/bash
# Starts the wizard under Wine as a user would and checks that its report
# exists at once with its header while the window runs.
#   exe-starts.sh EXE WORKDIR
set -uo pipefail
. "$(dirname "$0")/../../scripts/wine-env"
exe="$1"; work="$2"
rm -rf "$work"; mkdir -p "$work"; cd "$work"
cp "$exe" .
name=$(basename "$exe"); report="${name%.*}.xml"
fail() { echo "FAIL: $*"; "$LMR_WINESERVER" -k 2>/dev/null; exit 1; }

"$LMR_WINE" "$name" & pid=$!
header=$'<?xml version="1.0" encoding="windows-1251"?>\n\r<'"$report"$'>\n\r'
for _ in $(seq 150); do [ -s "$report" ] && break; sleep 0.2; done
[ "$(cat "$report" 2>/dev/null)" = "$header" ] || fail "report header: $(od -c "$report" | head -5)"
kill -0 "$pid" 2>/dev/null || fail "the wizard ended by itself"
"$LMR_WINESERVER" -k; wait "$pid" 2>/dev/null
echo "ok: report created with its header while the window runs"
