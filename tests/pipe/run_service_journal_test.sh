#!/bin/sh
# The real TALVENSV in -debug reports its events to a real systemd-journald: the start, the
# daily status entry, a first pre-warning and a first limit notice, and the orderly stop. The
# journald is private (a mount namespace of its own with tmpfs over /run/systemd and /run/log),
# so the host's logging is never touched. The start-time hardware step finds quillon-kori-sim
# on a private system bus and RdQueryH.sh beside the program, so it answers at once. Needs root;
# exits 77 (skipped) otherwise.
#
# usage: run_service_journal_test.sh TALVENSV TALVENMS QUILLON_REG KORI_SIM KORI_POLICY RDQUERY
set -eu

service=$1
notifier=$2
reg=$3
kori_sim=$4
kori_policy=$5
rdquery=$6
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../common/kori_bus.sh
. "$here/../common/kori_bus.sh"
# shellcheck source=../journal/private_journald.sh
. "$here/../journal/private_journald.sh"
private_journald_enter "$@"

work=$(mktemp -d /tmp/quillon-svc-journal-XXXXXX)
service_pid=
cleanup() {
  [ -n "$service_pid" ] && kill -9 "$service_pid" 2>/dev/null || true
  kori_bus_stop
  private_journald_stop
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  [ -f "$work/ORNALOG.TXT" ] && cat "$work/ORNALOG.TXT"
  exit 1
}
# Bounded wait (20 s) until the command succeeds.
wait_until() {
  tries=0
  until "$@"; do
    tries=$((tries + 1))
    [ $tries -gt 400 ] && return 1
    sleep 0.05
  done
}

private_journald_mount "$work"
private_journald_start "$work" || fail "journald did not come up"

# The sandbox: program directory, store and sockets in $work.
cp "$service" "$work/TALVENSV"
cp "$notifier" "$work/TALVENMS"
cp "$rdquery" "$work/RdQueryH.sh"
# A KORI without an operating-time counter: the step answers at once and leaves LifeTime 0.
kori_bus_start "$work" "$kori_sim" "$kori_policy" --status=0xE000:1 ||
  fail "no KORI simulator on a private bus"
export QUILLON_REGISTRY="$work/registry.db"
export QUILLON_RUNTIME_DIR="$work/run"
export QUILLON_NOTIFY_TTYS=""
export LANG=C.UTF-8 LC_ALL=C.UTF-8
lt='HKLM\SOFTWARE\Morvath\TALVEN\LifeTime'
"$reg" add "$lt\\NotifyMethod" /v DSP /t REG_DWORD /d 1 /f >/dev/null
"$reg" add "$lt\\Limit" /v CPU_FAN /t REG_DWORD /d 1000 /f >/dev/null
"$reg" add "$lt\\Current" /v CPU_FAN /t REG_DWORD /d 1000 /f >/dev/null
"$reg" add "$lt\\Limit" /v CAIS_FAN /t REG_DWORD /d 1000 /f >/dev/null
"$reg" add "$lt\\LimitPre" /v CAIS_FAN /t REG_DWORD /d 100 /f >/dev/null
"$reg" add "$lt\\Current" /v CAIS_FAN /t REG_DWORD /d 950 /f >/dev/null

"$work/TALVENSV" -debug >"$work/console.txt" 2>&1 &
service_pid=$!
limit_flag_set() {
  "$reg" query "$lt\\NotifyDone" /v CPU_FAN 2>/dev/null | grep -q '0x1'
}
wait_until limit_flag_set || fail "the CPU fan's limit was not noticed"
kill -INT "$service_pid"
wait "$service_pid" || fail "the service did not end with 0"
service_pid=
grep -q 'All threads 1/1 terminate success.' "$work/ORNALOG.TXT" || fail "no orderly stop"
journalctl --sync 2>/dev/null || true

# Exactly one entry of an event identifier, left in $work/out.
query() {
  got() {
    journalctl --directory=/run/log/journal -o json "TALVEN_EVENT_ID=$1" >"$work/out" || true
    [ -s "$work/out" ]
  }
  wait_until got "$1" || fail "no journal entry with TALVEN_EVENT_ID=$1"
  [ "$(wc -l <"$work/out")" -eq 1 ] || fail "expected one entry for $1, got: $(cat "$work/out")"
}
expect() {
  grep -qF "\"$1\":\"$2\"" "$work/out" || fail "$1 is not \"$2\" in: $(cat "$work/out")"
}

query 0x400203E8
expect MESSAGE "Quillon (TALVEN) execution started."
expect SYSLOG_IDENTIFIER TALVEN
query 0x400203EC
expect TALVEN_STRING1 TALVEN
grep -qF 'ServerRunningTime: 0 hours' "$work/out" || fail "status text: $(cat "$work/out")"
query 0xC00004B3
expect TALVEN_STRING1 "It is 50 hours (about 2 days) till the operating life time of FAN (housing fan).Please contact Support and Contact for Halvorn in your duty."
expect PRIORITY 3
query 0xC00004B4
expect TALVEN_STRING1 "CPU FAN exceeded the operating life.Please contact Support and Contact for Halvorn soon in your duty."
expect TALVEN_STRING2 TALVEN
query 0x400203EA
expect MESSAGE "Quillon(TALVEN) execution suspended."

echo "PASS: the service's start, status, pre-warning, limit and stop events are in the journal"
