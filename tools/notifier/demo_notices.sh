#!/bin/sh
# Shows the lifetime check at work: a sandbox store with two parts near their limits, the
# service in -debug, a pre-warning and a limit notice reaching this terminal through the
# TALVENMS stand-in, and the events in the trace log (and the journal where one runs).
#
#   tools/notifier/demo_notices.sh [BUILD_DIR]      (default build/default)
#
# Nothing outside a temporary directory is touched; it is removed at the end unless
# QUILLON_DEMO_KEEP=1.
set -eu

BUILD=${1:-build/default}
for f in service/TALVENSV tools/notifier/TALVENMS tools/notifier/TALVENMI tools/reg/quillon-reg; do
  [ -x "$BUILD/$f" ] || { echo "missing $BUILD/$f (build first)" >&2; exit 1; }
done

SANDBOX=$(mktemp -d /tmp/quillon-demo-XXXXXX)
cleanup() {
  [ -n "${SERVICE_PID:-}" ] && kill "$SERVICE_PID" 2>/dev/null || true
  [ "${QUILLON_DEMO_KEEP:-0}" = 1 ] || rm -rf "$SANDBOX"
}
trap cleanup EXIT

# The program directory: the service and the notifier stand-ins side by side, so the trace
# log ORNALOG.TXT lands here too.
cp "$BUILD/service/TALVENSV" "$BUILD/tools/notifier/TALVENMS" "$BUILD/tools/notifier/TALVENMI" \
  "$SANDBOX/"
export QUILLON_REGISTRY="$SANDBOX/registry.db"
export QUILLON_RUNTIME_DIR="$SANDBOX/run"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Notices go to this terminal (or to standard error when there is none) and to a copy file.
if [ -z "${QUILLON_NOTIFY_TTYS:-}" ]; then
  if tty -s; then QUILLON_NOTIFY_TTYS=$(tty); else QUILLON_NOTIFY_TTYS=/dev/stderr; fi
fi
export QUILLON_NOTIFY_TTYS
export QUILLON_NOTIFY_LOG="$SANDBOX/notices.txt"

reg() { "$BUILD/tools/reg/quillon-reg" "$@" >/dev/null; }
LT='HKLM\SOFTWARE\Morvath\TALVEN\LifeTime'
echo "== Sandbox store $QUILLON_REGISTRY"
reg add "$LT\\NotifyMethod" /v DSP /t REG_DWORD /d 1 /f
reg add "$LT\\NotifyMethod" /v LCD /t REG_DWORD /d 0 /f
# CPU fan: 1000 of 1000 hours, its life is over.
reg add "$LT\\Limit" /v CPU_FAN /t REG_DWORD /d 1000 /f
reg add "$LT\\Current" /v CPU_FAN /t REG_DWORD /d 1000 /f
# Housing fans: 950 of 1000 hours with a 100-hour lead, inside the pre-warning window.
reg add "$LT\\Limit" /v CAIS_FAN /t REG_DWORD /d 1000 /f
reg add "$LT\\LimitPre" /v CAIS_FAN /t REG_DWORD /d 100 /f
reg add "$LT\\Current" /v CAIS_FAN /t REG_DWORD /d 950 /f
"$BUILD/tools/reg/quillon-reg" query "$LT" /s | sed -n '/Current$/,/^$/p;/Limit$/,/^$/p'

echo "== Starting TALVENSV -debug"
"$SANDBOX/TALVENSV" -debug &
SERVICE_PID=$!

# Bounded waits on the trace log: up to 20 seconds each.
wait_trace() {
  i=0
  until grep -q "$1" "$SANDBOX/ORNALOG.TXT" 2>/dev/null; do
    i=$((i + 1))
    [ "$i" -le 200 ] || { echo "timed out waiting for: $1" >&2; exit 1; }
    sleep 0.1
  done
}
wait_notices() {
  i=0
  until [ "$(grep -c '^\*\*\* Quillon' "$QUILLON_NOTIFY_LOG" 2>/dev/null || echo 0)" -ge "$1" ]; do
    i=$((i + 1))
    [ "$i" -le 200 ] || { echo "timed out waiting for $1 notices" >&2; exit 1; }
    sleep 0.1
  done
}
wait_trace "Service Running loop start."
wait_notices 2

echo "== Stopping the service (as Ctrl-C would)"
kill -INT "$SERVICE_PID"
wait "$SERVICE_PID" || true
SERVICE_PID=

echo "== Trace log $SANDBOX/ORNALOG.TXT"
cat "$SANDBOX/ORNALOG.TXT"
echo "== Copy of the notices the stand-in showed ($QUILLON_NOTIFY_LOG)"
cat "$QUILLON_NOTIFY_LOG"
echo "== Notification flags written by the first notices"
"$BUILD/tools/reg/quillon-reg" query "$LT\\NotifyDone" /v CPU_FAN
"$BUILD/tools/reg/quillon-reg" query "$LT\\NotifyDonePre" /v CAIS_FAN
if [ -S /run/systemd/journal/socket ] && command -v journalctl >/dev/null; then
  echo "== Journal entries of TALVEN"
  journalctl -t TALVEN -n 10 --no-pager -o cat 2>/dev/null || true
fi
