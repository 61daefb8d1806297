#!/bin/bash
# Runs a command while the TDS stand-in serves a fixture, with ODBCSYSINI and
# FREETDSCONF pointing the driver name "SQL Server" at it and
# LMR_STANDIN_PORT telling its port; stops it by its PID afterwards.
#   with-standin.sh WORKDIR FIXTURE COMMAND...
set -uo pipefail
work="$1"; fixture="$2"; shift 2
standin="$(dirname "$0")/../../tools/tds_standin/standin-env"
eval "$("$standin" start "$work" "$fixture" --lifetime 600)" || exit 1
"$@"
rc=$?
"$standin" stop "$work"
exit $rc
