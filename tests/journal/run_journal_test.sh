#!/bin/sh
# Reports events through the journal backend to a real systemd-journald and finds them again
# with journalctl. The journald is private: it runs in a mount namespace of its own, with
# tmpfs over /run/systemd, /run/log and the catalog database, so the host's logging (if any)
# is never touched. Needs root (for the namespace); exits 77 (skipped) otherwise.
#
# usage: run_journal_test.sh REPORTER CATALOG
set -eu

reporter=$1
catalog=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=private_journald.sh
. "$here/private_journald.sh"
private_journald_enter "$@"

work=$(mktemp -d /tmp/quillon-journal-XXXXXX)
cleanup() {
  private_journald_stop
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

private_journald_mount "$work" /var/lib/systemd/catalog

# Without a journal, reporting fails instead of losing the events silently.
if "$reporter" report 2>/dev/null; then fail "reporting without a journal claimed success"; fi

private_journald_start "$work" || fail "journald did not come up"

"$reporter" report || fail "the reporter could not write to the journal"
journalctl --sync 2>/dev/null || true

# Waits (bounded) for the entries of one event identifier and leaves them in $work/out.
query() {
  tries=0
  while :; do
    journalctl --directory=/run/log/journal -o json "TALVEN_EVENT_ID=$1" >"$work/out" || true
    [ -s "$work/out" ] && break
    tries=$((tries + 1))
    [ $tries -gt 100 ] && fail "no journal entry with TALVEN_EVENT_ID=$1"
    sleep 0.05
  done
  [ "$(wc -l <"$work/out")" -eq 1 ] || fail "expected one entry for $1, got: $(cat "$work/out")"
}
# Checks that the last query's entry has FIELD equal to VALUE (JSON-escaped).
expect() {
  grep -qF "\"$1\":\"$2\"" "$work/out" || fail "$1 is not \"$2\" in: $(cat "$work/out")"
}

query 0x400203E8
expect MESSAGE "Quillon (TALVEN) execution started."
expect PRIORITY 6
expect SYSLOG_IDENTIFIER TALVEN
expect MESSAGE_ID 204d265cfab64a3a89b5e86776a659f9
expect TALVEN_EVENT_ID 0x400203E8
expect TALVEN_EVENT_TYPE 4
expect TALVEN_STRING1 TALVEN
expect TALVEN_STRING2 TALVEN

status='Status: [Install=2026/01/02 03:04:05] [LifeTime=120] [RunningTime=100] [Average=20.5].'
query 0x400203EC
expect MESSAGE "Quillon(TALVEN) 稼動状況\\n$status "
expect PRIORITY 6
expect MESSAGE_ID 95a15cb09c4d48c5a72ff6590768e451
expect TALVEN_STRING2 "$status"

query 0xC00004B4
expect MESSAGE "CPU fan: 100% of its rated life has passed. "
expect PRIORITY 3
expect TALVEN_EVENT_TYPE 1
expect MESSAGE_ID 43f6173f66904278890bcddb57fb34f7
expect TALVEN_STRING1 "CPU fan: 100% of its rated life has passed."

# The message catalog: it matches the message table, journalctl accepts it, and the
# explanation of an entry shows with its fields filled in.
"$reporter" check-catalog "$catalog" || fail "catalog and message table differ"
mkdir -p "$work/root/usr/lib/systemd/catalog"
cp "$catalog" "$work/root/usr/lib/systemd/catalog/"
journalctl --root="$work/root" --update-catalog || fail "journalctl rejects the catalog"
[ "$(journalctl --root="$work/root" --list-catalog | grep -c ' Quillon: ')" -eq 15 ] ||
  fail "the catalog does not list 15 entries"
grep -qF '稼動状況' "$work/root/var/lib/systemd/catalog/database" ||
  fail "the Japanese entries are missing from the catalog database"
cp "$work/root/var/lib/systemd/catalog/database" /var/lib/systemd/catalog/database
journalctl --directory=/run/log/journal -x --no-pager TALVEN_EVENT_ID=0x400203E8 >"$work/x"
grep -qF 'Event identifier: 0x400203E8' "$work/x" ||
  fail "journalctl -x shows no explanation: $(cat "$work/x")"

echo "PASS: events found in a private journal with their fields; catalog installed"
