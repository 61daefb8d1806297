#!/bin/bash
# Runs the online check of the network stage under Wine through a real
# tinyproxy with Basic authentication to the loopback online stand-in, then
# checks from the stand-in's log that the request came through the proxy.
# Both servers are bounded in time and stopped by their process ids.
#   online-through-proxy.sh TEST-EXE WORKDIR
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
exe="$1"; work="$2"
py=python3
[ -x /usr/bin/python3 ] && py=/usr/bin/python3
rm -rf "$work"; mkdir -p "$work"
user=wizard password='Pr0xy-s3cret'  # tinyproxy's BasicAuth line takes no ':'

"$py" "$root/tools/online_standin/online_standin.py" --port 0 --port-file "$work/service.port" \
  --log "$work/requests.log" --lifetime 120 & service=$!
stop() {
  kill "$service" 2>/dev/null
  "$root/tools/online_standin/proxy-env" stop "$work/proxy" >/dev/null 2>&1
}
trap stop EXIT
proxy_port="$("$root/tools/online_standin/proxy-env" start "$work/proxy" "$user" "$password" 120)" || {
  echo "FAIL: tinyproxy did not start"; exit 1; }
for _ in $(seq 50); do [ -s "$work/service.port" ] && break; sleep 0.1; done
[ -s "$work/service.port" ] || { echo "FAIL: the online stand-in did not start"; exit 1; }

cd "$work"
LMR_SERVICE_PORT="$(cat service.port)" LMR_PROXY_PORT="$proxy_port" LMR_PROXY_USER="$user" \
  LMR_PROXY_PASSWORD="$password" "$root/scripts/wine-run" "$exe"
rc=$?
# The right credentials were forwarded once; the wrong ones never reached the service.
heads=$(grep -c '^HEAD /lumaro/LMROLClientServer.dll HTTP/1' requests.log 2>/dev/null)
[ "$heads" = 1 ] || { echo "FAIL: the service saw $heads HEAD requests, not 1"; rc=1; }
grep -qi '^Via: .*tinyproxy' requests.log || { echo "FAIL: the request did not come through the proxy"; rc=1; }
exit $rc
