#!/bin/bash
# The systemd tier: boots the cached minimal Debian root with systemd-nspawn, binds TALVENSV
# and quillon-reg in as /opt/quillon/bin, and checks the service's install, start, stop and
# removal through the real systemd, D-Bus and journal inside the container.
#
#   run_systemd_tier.sh TALVENSV quillon-reg [TALVENU2 TALVENU2.ini]
#
# Commands run inside the container through nsenter into the namespaces of its init, with a
# clean environment, so they see the container's system bus, systemd and journal. Every wait
# is a bounded poll for the awaited condition. Exit 0 when every check passed, 1 when one
# failed, 77 when the tier cannot run here (not root, no systemd-nspawn).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
talvensv=$(readlink -f "${1:?usage: run_systemd_tier.sh TALVENSV quillon-reg}")
reg=$(readlink -f "${2:?usage: run_systemd_tier.sh TALVENSV quillon-reg}")
# Optional: the setup program and its INI file, for the setup checks (section 8).
talvenu2=${3:+$(readlink -f "$3")}
setup_ini=${4:+$(readlink -f "$4")}
root=${QUILLON_NSPAWN_ROOT:-/var/cache/quillon/nspawn-root}

if [[ $(id -u) -ne 0 ]]; then
  echo "SKIP: the systemd tier needs root"
  exit 77
fi
for tool in systemd-nspawn nsenter debootstrap; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

"$here/build_root.sh" "$root" || { echo "FAIL: cannot build the container root"; exit 1; }

work=$(mktemp -d /tmp/quillon-systemd-tier.XXXXXX)
bin=$work/bin      # /opt/quillon/bin inside: the program directory, ORNALOG.TXT lands here
state=$work/state  # /var/lib/quillon inside: the settings store
mkdir -p "$bin" "$state"
cp "$talvensv" "$bin/TALVENSV"
cp "$reg" "$bin/quillon-reg"
# The installed layout has RdQueryH.sh beside the service: without a RAID tool in the
# container it reports "no RAID manager", so the start-time discovery ends at once.
repo=$(cd "$here/../.." && pwd)
if [[ -f $repo/service/RdQueryH.sh ]]; then
  install -m 0755 "$repo/service/RdQueryH.sh" "$bin/RdQueryH.sh"
fi
# The KORI simulator of the same build, when there is one, answers the start-time hardware
# step inside the container (otherwise the step waits through its retries).
kori_sim=$(dirname "$talvensv")/../tools/kori_sim/quillon-kori-sim
kori_policy=$repo/tools/kori_sim/com.morvath.Kori.conf
if [[ -x $kori_sim && -f $kori_policy ]]; then
  cp "$kori_sim" "$bin/quillon-kori-sim"
  cp "$kori_policy" "$bin/com.morvath.Kori.conf"
fi
registry=$state/registry.db

nspawn_pid=
leader=
. "$here/tier_lib.sh"
cleanup() {
  stop_container
  rm -rf "$work"
}
trap cleanup EXIT

echo "# booting $root"
systemd-nspawn --boot --register=no --keep-unit --volatile=overlay --console=pipe \
  -D "$root" --machine="quillon-tier-$$" \
  --bind="$bin:/opt/quillon/bin" --bind="$state:/var/lib/quillon" \
  >"$work/console.log" 2>&1 </dev/null &
nspawn_pid=$!

if ! await_boot; then
  fail "container boots" "$(in_container systemctl is-system-running 2>&1)" \
    "$(tail -n 20 "$work/console.log")"
  exit 1
fi
pass "container boots (systemd $(in_container systemctl is-system-running 2>&1))"

if [[ -x $bin/quillon-kori-sim ]]; then
  if in_container cp /opt/quillon/bin/com.morvath.Kori.conf /etc/dbus-1/system.d/ &&
     in_container systemctl reload dbus.service &&
     in_container systemd-run --quiet --unit=quillon-kori-sim --service-type=notify \
       /opt/quillon/bin/quillon-kori-sim --cabinet=1 --model=QX-TIER --seconds=3600000; then
    pass "the KORI simulator runs on the container's system bus"
  else
    fail "the KORI simulator runs on the container's system bus"
  fi
fi

talven() { in_container /opt/quillon/bin/TALVENSV "$@"; }
unit_active() { [[ $(in_container systemctl is-active TALVEN.service 2>/dev/null) == "$1" ]]; }
install_date() {
  QUILLON_REGISTRY=$registry "$reg" query 'HKLM\SOFTWARE\Morvath\TALVEN' /v InstallDate 2>/dev/null |
    grep -oE '[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}'
}
# journal_has ID: an entry of event ID with both insertion strings TALVEN.
journal_has() {
  in_container journalctl -o json --no-pager "TALVEN_EVENT_ID=$1" 2>/dev/null |
    grep '"TALVEN_STRING1":"TALVEN"' | grep -q '"TALVEN_STRING2":"TALVEN"'
}
trace_count() { grep -c -F -- "$1" "$bin/ORNALOG.TXT" 2>/dev/null || true; }

# 1. Install creates, enables and starts the service.
out=$(talven -install 2>&1)
rc=$?
if [[ $rc -eq 0 && $out == $'TALVEN installed.\nTALVEN started.' ]]; then
  pass "-install prints \"TALVEN installed.\" and \"TALVEN started.\""
else
  fail "-install prints \"TALVEN installed.\" and \"TALVEN started.\"" "exit $rc" "$out"
fi
check "TALVEN.service is active after -install" unit_active active
enabled=$(in_container systemctl is-enabled TALVEN.service 2>&1)
check "TALVEN.service is enabled ($enabled)" test "$enabled" = enabled
unit_text=$(in_container cat /etc/systemd/system/TALVEN.service 2>&1)
check "the unit is Type=notify and runs the program's full path" \
  grep -qzE 'Type=notify.*ExecStart="/opt/quillon/bin/TALVENSV".*WantedBy=multi-user.target' \
  <<<"$unit_text"
check "the journal holds the install event 0x400203E9 with both strings" \
  wait_for 30 journal_has 0x400203E9
check "the journal holds the start event 0x400203E8 with both strings" \
  wait_for 30 journal_has 0x400203E8
check "ORNALOG.TXT holds \"*** TALVEN SERVICE START ***\"" \
  wait_for 30 grep -qF '*** TALVEN SERVICE START ***' "$bin/ORNALOG.TXT"
first_date=$(install_date)
check "InstallDate is set ($first_date)" test -n "$first_date"
status_text=$(in_container systemctl show -p StatusText --value TALVEN.service 2>&1)
check "the service's status text says running ($status_text)" test "$status_text" = Running

# 1b. The installed service took its cabinet data and operating hours from the simulator on
#     the container's system bus (cabinet 1, model QX-TIER, 3600000 s = 1000 hours), at the
#     first try, before its worker started.
if [[ -x $bin/quillon-kori-sim ]]; then
  root_dword() {  # root_dword NAME: the data of a DWORD of the root key, as quillon-reg shows it
    QUILLON_REGISTRY=$registry "$reg" query 'HKLM\SOFTWARE\Morvath\TALVEN' /v "$1" \
      2>/dev/null | awk -v n="$1" '$1 == n { print $3 }'
  }
  check "the installed service's worker started" \
    wait_for 30 grep -qF 'CreateHandle 1/1 Success.' "$bin/ORNALOG.TXT"
  for line in 'KORI enable [CabinetNr = 1].' 'KORI enable [CabinetModel = QX-TIER].' \
              'KORI enable [LifeTime = 1000].'; do
    check "the installed service traced \"$line\" from the simulator" \
      grep -qF -- "$line" "$bin/ORNALOG.TXT"
  done
  check "the cabinet number came at the first try (no \"KORI retry\")" \
    test "$(trace_count 'KORI retry')" -eq 0
  check "KoriEnable is 1 ($(root_dword KoriEnable))" test "$(root_dword KoriEnable)" = 0x1
  check "LifeTime holds the simulator's 1000 hours ($(root_dword LifeTime))" \
    test "$(root_dword LifeTime)" = 0x3e8
fi

# 2. A second install fails with the system's text and keeps InstallDate.
out=$(talven -install 2>&1)
rc=$?
if [[ $rc -ne 0 && $out == "Unable to install TALVEN - The specified service already exists. (0x431)" ]]; then
  pass "second -install prints \"Unable to install TALVEN - ...\" ($out)"
else
  fail "second -install prints \"Unable to install TALVEN - ...\"" "exit $rc" "$out"
fi
second_date=$(install_date)
check "second -install keeps InstallDate ($second_date)" test "$second_date" = "$first_date"

# 3. systemctl stop ends the service in order.
stops_before=$(trace_count "All threads 1/1 terminate success.")
in_container systemctl stop TALVEN.service
stops_after=$(trace_count "All threads 1/1 terminate success.")
check "the stop ends every thread in time (\"All threads 1/1 terminate success.\")" \
  test "$stops_after" -eq $((stops_before + 1))
check "systemctl stop TALVEN leaves the unit inactive" unit_active inactive
result=$(in_container systemctl show -p Result --value TALVEN.service 2>&1)
check "the service ended by itself with result success ($result)" test "$result" = success
check "the journal holds the stop event 0x400203EA with both strings" \
  wait_for 30 journal_has 0x400203EA

# 3b. A store it cannot use: the service runs on, says so in `systemctl status` and the
# journal, and takes the store up again once it is usable.
mkdir -p "$state/kept"
mv "$registry" "$state/kept/" && rm -f "$registry-wal" "$registry-shm"
mkdir "$registry"
status_unusable() {
  [[ $(in_container systemctl show -p StatusText --value TALVEN.service 2>&1) == \
    *"settings store /var/lib/quillon/registry.db not usable: the path is a directory"* ]]
}
store_event() {
  in_container journalctl -o json --no-pager TALVEN_EVENT_ID=0xC00004B7 2>/dev/null |
    grep -q 'the path is a directory'
}
in_container systemctl start TALVEN.service
check "a store path that is a directory shows in the status text" wait_for 20 status_unusable
check "the service keeps running on a store it cannot use" unit_active active
check "the journal holds the store error event 0xC00004B7" wait_for 10 store_event
in_container systemctl stop TALVEN.service
rmdir "$registry"
mv "$state/kept/registry.db" "$registry" && rmdir "$state/kept"

# 4. -start starts the installed service again.
out=$(talven -start 2>&1)
rc=$?
if [[ $rc -eq 0 && $out == "TALVEN started." ]]; then pass "-start prints \"TALVEN started.\""
else fail "-start prints \"TALVEN started.\"" "exit $rc" "$out"; fi
check "TALVEN.service is active after -start" unit_active active

# 5. -remove stops (dots while stopping) and deletes.
out=$(talven -remove 2>&1)
rc=$?
if [[ $rc -eq 0 ]] && grep -qzE '^Stopping TALVEN\.\.*
TALVEN stopped\.
TALVEN removed\.$' <<<"$out"; then
  pass "-remove prints \"Stopping TALVEN.\", dots, \"TALVEN stopped.\" and \"TALVEN removed.\""
else
  fail "-remove prints the stop lines and \"TALVEN removed.\"" "exit $rc" "$out"
fi
check "the unit file is gone after -remove" \
  in_container test ! -e /etc/systemd/system/TALVEN.service
check "systemd no longer lists TALVEN.service" \
  test -z "$(in_container systemctl list-unit-files --no-legend TALVEN.service 2>/dev/null)"
check "the service process has ended" unit_active inactive

# 6. Removing a stopped service skips the stop lines; InstallDate survives it all.
out=$(talven -install 2>&1)
check "-install after -remove succeeds" test "$out" = $'TALVEN installed.\nTALVEN started.'
third_date=$(install_date)
check "reinstalling keeps the first InstallDate ($third_date)" test "$third_date" = "$first_date"
in_container systemctl stop TALVEN.service
out=$(talven -remove 2>&1)
rc=$?
if [[ $rc -eq 0 && $out == "TALVEN removed." ]]; then
  pass "-remove of a stopped service prints only \"TALVEN removed.\""
else
  fail "-remove of a stopped service prints only \"TALVEN removed.\"" "exit $rc" "$out"
fi
out=$(talven -remove 2>&1)
expected="OpenService failed - The specified service does not exist as an installed service. (0x424)"
check "-remove without the service prints \"OpenService failed - ...\" ($out)" \
  test "$out" = "$expected"

# 6b. With no KORI on the container's bus the start-time step pauses 60 s between its
#     cabinet tries. A stop 10 s after the start still ends the service at once and in order:
#     inactive (not failed), the stop lines, no worker built. The time is the figure the
#     service promises (within 2 s); everything else here waits for conditions.
if [[ -x $bin/quillon-kori-sim ]]; then in_container systemctl stop quillon-kori-sim.service; fi
out=$(talven -install 2>&1)
check "-install with no KORI on the bus starts the service" \
  test "$out" = $'TALVEN installed.\nTALVEN started.'
in_container systemctl stop TALVEN.service
check "systemctl start with no KORI on the bus" in_container systemctl start TALVEN.service
workers_before=$(trace_count "CreateHandle 1/1 Success.")
stops_before=$(trace_count "All threads 1/1 terminate success.")
sleep 10
started_ns=$(date +%s%N)
in_container systemctl stop TALVEN.service
stop_ms=$((($(date +%s%N) - started_ns) / 1000000))
echo "# systemctl stop 10 s after the start, no KORI: $stop_ms ms"
check "systemctl stop during the cabinet pause returns within 2 s ($stop_ms ms)" \
  test "$stop_ms" -le 2000
check "the stopped unit is inactive, not failed" unit_active inactive
result=$(in_container systemctl show -p Result --value TALVEN.service 2>&1)
check "the service ended by itself with result success ($result)" test "$result" = success
check "the stop wrote its lines (\"All threads 1/1 terminate success.\")" \
  test "$(trace_count "All threads 1/1 terminate success.")" -eq $((stops_before + 1))
check "no worker was built after the stop request" \
  test "$(trace_count "CreateHandle 1/1 Success.")" -eq "$workers_before"
talven -remove >/dev/null 2>&1
if [[ -x $bin/quillon-kori-sim ]]; then
  in_container systemd-run --quiet --unit=quillon-kori-sim --service-type=notify \
    /opt/quillon/bin/quillon-kori-sim --cabinet=1 --model=QX-TIER --seconds=3600000 ||
    fail "the KORI simulator runs again on the container's system bus"
fi

# 7. Started by hand with no argument, the program only leaves the trace line.
before=$(trace_count "StartServiceCtrlDispatcher failed.")
out=$(talven 2>&1)
rc=$?
after=$(trace_count "StartServiceCtrlDispatcher failed.")
if [[ $rc -ne 0 && -z $out && $after -eq $((before + 1)) ]]; then
  pass "started by hand, the program leaves \"StartServiceCtrlDispatcher failed.\" in ORNALOG.TXT"
else
  fail "started by hand, the program leaves \"StartServiceCtrlDispatcher failed.\"" \
    "exit $rc, output '$out', trace lines $before -> $after"
fi

# 8. TALVENU2 run as root on a fresh store fills it, installs and starts the real service and
#    writes both desktop entries; a second run reinstalls the service and keeps InstallDate.
if [[ -n $talvenu2 && -n $setup_ini ]]; then
  cp "$talvenu2" "$bin/TALVENU2"
  cp "$setup_ini" "$bin/TALVENU2.ini"
  rm -f "$registry" "$registry-wal" "$registry-shm"
  reg_value() {  # reg_value KEY NAME: the data column of one value
    QUILLON_REGISTRY=$registry "$reg" query "HKLM\\SOFTWARE\\Morvath\\TALVEN$1" /v "$2" \
      2>/dev/null | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
  }
  out=$(in_container /opt/quillon/bin/TALVENU2 /S 2>&1)
  rc=$?
  if [[ $rc -eq 0 ]]; then pass "TALVENU2 /S on a fresh store exits 0"
  else fail "TALVENU2 /S on a fresh store exits 0" "exit $rc" "$out"; fi
  check "TALVENU2 filled the store (Limit RAID01 = $(reg_value '\LifeTime\Limit' RAID01))" \
    test "$(reg_value '\LifeTime\Limit' RAID01)" = 0x66a8
  check "TALVENU2 stored V/L from TALVENU2.ini ($(reg_value '' V/L))" \
    test "$(reg_value '' V/L)" = "V5.1 L13-03"
  check "TALVEN.service is active after TALVENU2" wait_for 30 unit_active active
  enabled=$(in_container systemctl is-enabled TALVEN.service 2>&1)
  check "TALVEN.service is enabled after TALVENU2 ($enabled)" test "$enabled" = enabled
  check "TALVENU2 wrote /usr/share/applications/Quillon.desktop" \
    in_container grep -qx 'Exec=/opt/quillon/bin/TALVENUI' /usr/share/applications/Quillon.desktop
  check "TALVENU2 wrote root's autostart entry \"TALVEN StartUp.desktop\"" \
    in_container grep -qx 'Exec=/opt/quillon/bin/TALVENSU' \
    '/root/.config/autostart/TALVEN StartUp.desktop'
  check "TALVENU2 logged \"TALVENU2.EXE complete.\" to /tmp/TALVENUP.LOG" \
    in_container grep -q $'"(TALVENU2)"\tTALVENU2.EXE complete.$' /tmp/TALVENUP.LOG
  setup_date=$(install_date)
  check "the service's -install set InstallDate ($setup_date)" test -n "$setup_date"

  out=$(in_container /opt/quillon/bin/TALVENU2 /S 2>&1)
  rc=$?
  if [[ $rc -eq 0 ]]; then pass "a second TALVENU2 /S exits 0"
  else fail "a second TALVENU2 /S exits 0" "exit $rc" "$out"; fi
  check "TALVEN.service is active after the second TALVENU2" wait_for 30 unit_active active
  again_date=$(install_date)
  check "the second TALVENU2 keeps InstallDate ($again_date)" test "$again_date" = "$setup_date"
  in_container systemctl stop TALVEN.service
  talven -remove >/dev/null 2>&1
else
  echo "# setup checks skipped: no TALVENU2 given"
fi

echo "# ORNALOG.TXT:"
sed 's/^/#   /' "$bin/ORNALOG.TXT" 2>/dev/null
if ((failures > 0)); then
  echo "# $failures check(s) failed"
  exit 1
fi
echo "# all checks passed"
exit 0
