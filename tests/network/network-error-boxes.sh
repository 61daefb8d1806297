#!/bin/bash
# Drives the wizard through all pages from outside (tools/gui_driver) on a
# machine whose product database names an online service that answers
# "404 Not Found": the network stage shows one error box per captured error,
# each is answered, and the wizard closes with "Закрыть". The engine runs (its
# registry entries and the stand-in service-control library), DbEngine.ini
# names the TDS stand-in, whose product database holds the service address
# and the proxy settings. Every server is bounded and stopped by its id.
#   network-error-boxes.sh EXE DRIVER W95SCM-DLL WORKDIR
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$here/../.."
. "$root/scripts/wine-env"
exe="$1"; driver="$2"; dll="$3"; work="$4"
py=python3
[ -x /usr/bin/python3 ] && py=/usr/bin/python3
rm -rf "$work"; mkdir -p "$work"; cd "$work"
. "$here/../shell/gui-lib.sh"
password='Pr0xy-never-in-report'

# A prefix of its own: the engine's entries must not reach other tests.
export WINEPREFIX="$work/prefix"
"$root/scripts/wine-prefix" "$WINEPREFIX" || { echo "no Wine prefix"; exit 1; }

"$py" "$root/tools/online_standin/online_standin.py" --port 0 --port-file service.port --status "404 Not Found" \
  --log requests.log --lifetime 300 & service=$!
standin="$root/tools/tds_standin/standin-env"
cleanup() { "$LMR_WINESERVER" -k 2>/dev/null; kill "$service" 2>/dev/null; "$standin" stop "$work/standin"; }
trap cleanup EXIT
for _ in $(seq 50); do [ -s service.port ] && break; sleep 0.1; done
[ -s service.port ] || { echo "FAIL: the online stand-in did not start"; exit 1; }
cat > fixture.json <<JSON
{"logins": {"sa": "", "Lumaro": "Brevanto"},
 "databases": [{"name": "master", "owner": "sa"}, {"name": "Tav", "owner": "Lumaro"},
               {"name": "Search", "owner": "Lumaro"}, {"name": "School", "owner": "Lumaro",
   "attributes": [["UseProxyServer", "0"], ["ProxyPASsword", "$password"], ["ProxyPort", "3128"],
                  ["ProxyServer", "proxy.school.local"], ["ProxyUser", "teacher"],
                  ["LMROLServerAddress", "127.0.0.1:$(cat service.port)"], ["UseProxyAuthorization", "1"]]}]}
JSON
eval "$("$standin" start "$work/standin" fixture.json --lifetime 300)" || exit 1

cp "$exe" "$driver" .
engine_running "$dll"
product_config "127.0.0.1,$LMR_STANDIN_PORT"

"$LMR_WINE" "$(basename "$exe")" & pid=$!
drive to-network <<CMD
wait-window
wait-visible 202 1
click 202
click 302
line 301 0 Install: Complite
settext 403 Z:${work//\//\\}\\server
click 410
click 502
visible 601 1
CMD
drive network-stage <<'CMD'
wait-window
click-async 602
answer-all Error 1
line 601 2 Lumaro Network Options: Complete
enabled 602 0
visible 603 1
enabled 603 1
CMD
drive close <<'CMD'
wait-window
click 603
wait-gone
CMD
wait "$pid" 2>/dev/null

report=LMRTSWizard.xml
xmllint --noout "$report" || fail "report is not well-formed"
grep -q "$password" "$report" && fail "the proxy password reached the report"
boxes=$(grep '^box: ' network-stage.out | tr -d '\r')
[ "$boxes" = "box: ConnectionError: 404 Not Found" ] || fail "error boxes: ${boxes:-none}"
heads=$(grep -c '^HEAD /lumaro/LMROLClientServer.dll HTTP/1' requests.log 2>/dev/null)
[ "$heads" = 1 ] || fail "the service saw ${heads:-no} HEAD requests, not 1"
online=$'<Online><ConnectionError>404 Not Found</ConnectionError>\r\n<SYSError>'
grep -qaF "$online" "$report" || fail "online part: $(grep -ao '<Online>.*' "$report" | head -c 300)"
params=$'<ProxyParams><UseProxyServer>No</UseProxyServer>\r\n<ProxyPort>3128</ProxyPort>\r\n'
params+=$'<ProxyServer>proxy.school.local</ProxyServer>\r\n<ProxyUser>teacher</ProxyUser>\r\n'
params+="<LMROLServerAddress>127.0.0.1:$(cat service.port)</LMROLServerAddress>"$'\r\n'
params+=$'<UseProxyAuthorization>Yes</UseProxyAuthorization>\r\n</ProxyParams></Online><NetAdapters>'
grep -qaF "$params" "$report" || fail "proxy settings: $(grep -ao '<ProxyParams>.*' "$report" | head -c 400)"
[ $failed = 0 ] && echo "ok: one error box answered, wizard closed; screenshots in $work"
exit $failed
