#!/bin/bash
# Walks the wizard to its network page from outside (tools/gui_driver), runs
# the network stage on the machine's own probes with a listener on the first
# product port, answers any error box, closes with "Закрыть" and checks the
# "NetWork" section against what the host says.
#   network-page.sh EXE DRIVER WORKDIR
set -uo pipefail
. "$(dirname "$0")/../../scripts/wine-env"
exe="$1"; driver="$2"; work="$3"
here="$(cd "$(dirname "$0")" && pwd)"
py=python3
[ -x /usr/bin/python3 ] && py=/usr/bin/python3
rm -rf "$work"; mkdir -p "$work"; cd "$work"
cp "$exe" "$driver" .
. "$here/../shell/gui-lib.sh"

# Something listens on 42424 only; bounded, stopped by its id.
timeout 120 "$py" -c 'import socket, time
s = socket.socket(); s.bind(("127.0.0.1", 42424)); s.listen(8); time.sleep(120)' & listener=$!
trap 'kill $listener 2>/dev/null' EXIT

"$LMR_WINE" "$(basename "$exe")" & pid=$!

drive to-network <<'CMD'
wait-window
wait-visible 202 1
click 202
click 302
settext 406 C:\windows
click 410
click 502
visible 601 1
count 601 3
visible 603 0
CMD

drive network-stage <<'CMD'
wait-window
click-async 602
answer-all Error 1
line 601 0 Network Settings: Complete
line 601 1 Lumaro Proxy Options: Complete
line 601 2 Lumaro Network Options: Complete
enabled 602 0
visible 603 1
enabled 603 1
text 603 Закрыть
CMD

drive close <<'CMD'
wait-window
click 603
wait-gone
CMD
wait "$pid" 2>/dev/null

xmllint --noout LMRTSWizard.xml || fail "report is not well-formed"
boxes=$(grep -c '^box: ' network-stage.out)
# Each interface but the loopback, with its IPv4 addresses (0.0.0.0 when it has none).
for name in $(ip -o link show | awk -F': ' '{sub(/@.*/, "", $2); print $2}' | grep -vx lo); do
  addresses=$(ip -4 -o addr show dev "$name" | awk '{split($4, a, "/"); print a[1]}')
  echo "$name ${addresses:-0.0.0.0}" | tr '\n' ' '; echo
done > host-interfaces.txt
"$py" "$here/check-network-section.py" LMRTSWizard.xml host-interfaces.txt "$boxes" || fail "NetWork section"
"$LMR_WINESERVER" -k 2>/dev/null
[ $failed = 0 ] && echo "ok: network page run, $boxes error boxes answered, closed; screenshots in $work"
exit $failed
