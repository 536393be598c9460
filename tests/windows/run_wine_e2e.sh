#!/bin/bash
# The end-to-end cycle of the Windows build under Wine, in a private Wine prefix made afresh:
# TALVENU2.exe fills the registry from TALVENU2.ini and installs and starts the service;
# TALVENSV.exe runs as a real service of the prefix's service control manager with the KORI
# stand-in answering over COM; it answers on both pipes, starts the recording TALVENMS.exe for
# a due pre-warning, stops in order and is removed. The registry is read with Wine's own
# `reg query`. Prints one line per check and exits non-zero when any fails.
#   tests/windows/run_wine_e2e.sh [BUILD_DIR]     (default build/windows, already built)
set -u
cd "$(dirname "$0")/../.."
root=$PWD
build=${1:-$root/build/windows}
started=$SECONDS

failures=0
pass() { echo "ok   $1"; }
fail() {
  echo "FAIL $1"
  shift
  for line in "$@"; do echo "     $line"; done
  failures=$((failures + 1))
}
check() {  # check TEXT COMMAND...: passes when the command succeeds
  local text=$1
  shift
  if "$@"; then pass "$text"; else fail "$text"; fi
}
wait_for() {  # wait_for SECONDS COMMAND...: until the command succeeds, at most SECONDS
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS >= deadline)) && return 1
    sleep 0.2
  done
}

# Every Wine program runs with its input and output on files: the first one after the server
# starts also starts the prefix's services.exe, which keeps the descriptors it inherited.
# Ends with the program's exit code.
win() {
  wine "$@" </dev/null 2>/dev/null | tr -d '\r'
  return "${PIPESTATUS[0]}"
}

lt='HKLM\SOFTWARE\Morvath\TALVEN\LifeTime'
reg_value() {  # reg_value KEY NAME: the data of one value as `reg query` shows it
  win reg query "$1" /v "$2" | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
root_value() { reg_value 'HKLM\SOFTWARE\Morvath\TALVEN' "$1"; }
service_state() {  # the STATE word of `sc query TALVEN` (RUNNING, STOPPED, ...), else empty
  win sc query TALVEN | awk '$1 == "STATE" { print $4 }'
}
state_is() { [[ $(service_state) == "$1" ]]; }

# --- The prefix and the program directory C:\Quillon ---
. "$root/tests/windows/wine_prefix.sh"
start_wine_prefix e2e || { echo "wineboot failed"; exit 1; }
win sc query >/dev/null
echo "# wine prefix ready: $((SECONDS - started)) s"

dir=$prefix/drive_c/Quillon
windir='C:\Quillon'
mkdir -p "$dir"
for program in service/TALVENSV.exe service/RdQueryH.bat setup/TALVENU2.exe \
               launcher/TALVENST.exe tools/win_notifier/TALVENMS.exe \
               tools/kori_sim_win/quillon-kori-sim.exe tests/windows/pipe_call.exe; do
  if ! cp "$build/$program" "$dir/"; then
    echo "missing $build/$program (build the windows preset first)"
    exit 1
  fi
done
cp "$root/setup/TALVENU2.ini" "$dir/"
# The notifier stand-in records its command line in notices.txt instead of showing a box.
printf '%s\r\n' "$windir\\notices.txt" >"$dir/notify_record.txt"

# KORI: the stand-in registered as the class's local server; COM starts it for the service.
win "$dir/quillon-kori-sim.exe" -regserver --cabinet=1 --model=QX-WINE --seconds=3600000
# A UPS battery set up 700 days ago: 720 of its 17520 hours are left, inside the 2160-hour
# pre-warning window of TALVENU2.ini. The setup keeps a SetupDate key that exists.
ups_date=$(date -d '-700 days' +%Y/%m/%d)
win reg add "$lt\\SetupDate" /v UPS /t REG_SZ /d "$ups_date" /f >/dev/null

# --- 1. TALVENU2 fills the registry, installs and starts the service ---
t=$SECONDS
# The log goes to a directory that does not exist yet: setup creates it.
out=$(win "$dir/TALVENU2.exe" "-f2$windir\\Logs\\Setup\\TALVENUP.LOG")
rc=$?
check "TALVENU2.exe exits 0 ($((SECONDS - t)) s)" test "$rc" -eq 0
check "TALVENU2 filled the registry: Limit RAID01 = $(reg_value "$lt\\Limit" RAID01)" \
  test "$(reg_value "$lt\\Limit" RAID01)" = 0x66a8
check "TALVENU2 stored V/L = \"$(root_value V/L)\"" test "$(root_value V/L)" = "V5.1 L13-03"
check "TALVENU2 kept the UPS setup date $ups_date" \
  test "$(reg_value "$lt\\SetupDate" UPS)" = "$ups_date"
check "the service's -install set InstallDate ($(root_value InstallDate))" \
  test -n "$(root_value InstallDate)"
check "TALVENU2 logged \"TALVENU2.EXE complete.\" to Logs\\Setup\\TALVENUP.LOG" \
  grep -q 'TALVENU2.EXE complete.' "$dir/Logs/Setup/TALVENUP.LOG"

# --- 2. TALVENSV.exe runs as a real service, KORI answering ---
check "sc query TALVEN: RUNNING" wait_for 30 state_is RUNNING
trace() { tr -d '\r' <"$dir/ORNALOG.TXT" 2>/dev/null; }
traced() { trace | grep -qF -- "$1"; }
check "ORNALOG.TXT: \"*** TALVEN SERVICE START ***\"" \
  wait_for 30 traced '*** TALVEN SERVICE START ***'
check "ORNALOG.TXT: \"KORI enable [CabinetNr = 1].\" (the stand-in answered)" \
  wait_for 60 traced 'KORI enable [CabinetNr = 1].'
check "ORNALOG.TXT: \"CreateHandle 1/1 Success.\" (the worker runs)" \
  wait_for 60 traced 'CreateHandle 1/1 Success.'
kori_stored() { [[ $(root_value KoriEnable) == 0x1 && $(root_value LifeTime) == 0x3e8 ]]; }
check "the service stored KoriEnable 0x1 and the stand-in's 1000 hours as LifeTime 0x3e8" \
  wait_for 30 kori_stored

# --- 3. The status query on \\.\pipe\ORNA_PIPE ---
reply=$(win "$dir/pipe_call.exe" command 02)
check "\"02\" on ORNA_PIPE answers \"$reply\"" test "$reply" = "Heared [02]:1"

# --- 4. A parts-changed message for the housing fan (item 19) and its registry writes ---
win reg add "$lt\\NotifyDone" /v CAIS_FAN /t REG_DWORD /d 1 /f >/dev/null
win reg add "$lt\\NotifyDonePre" /v CAIS_FAN /t REG_DWORD /d 1 /f >/dev/null
reply=$(win "$dir/pipe_call.exe" parts 19)
check "the parts-changed message for item 19 gets \"$reply\"" test "$reply" = "Heared."
check "it cleared NotifyDone CAIS_FAN ($(reg_value "$lt\\NotifyDone" CAIS_FAN))" \
  test "$(reg_value "$lt\\NotifyDone" CAIS_FAN)" = 0x0
check "it cleared NotifyDonePre CAIS_FAN ($(reg_value "$lt\\NotifyDonePre" CAIS_FAN))" \
  test "$(reg_value "$lt\\NotifyDonePre" CAIS_FAN)" = 0x0

# --- 5. The UPS pre-warning reached the recording TALVENMS.exe ---
noticed() { [[ -s $dir/notices.txt ]]; }
check "TALVENMS.exe was started for a notice" wait_for 30 noticed
notice=$(tr -d '\r' <"$dir/notices.txt" 2>/dev/null)
# The text as the English catalogue has it, 29 whole days left (line ends without their CR).
text=$'It is 29 days till the operating life time of UPS\'s BBUs.\nIn order to avoid the trouble'
text+=$' due to life of mandatory-replacement parts,\nPlease contact Support and Contact for'
text+=$' Halvorn in your duty.\n\nHave you already contacted ?'
expected="\"$windir\\TALVENMS\" \"$text\" 17"
if [[ $notice == "$expected" ]]; then
  pass "the pre-warning's exact command line: $notice"
else
  fail "the pre-warning's exact command line" "got:      $notice" "expected: $expected"
fi
check "NotifyDonePre UPS is set ($(reg_value "$lt\\NotifyDonePre" UPS))" \
  test "$(reg_value "$lt\\NotifyDonePre" UPS)" = 0x1

# --- A second -install finds the service there and keeps InstallDate ---
install_date=$(root_value InstallDate)
out=$(win "$dir/TALVENSV.exe" -install)
rc=$?
if [[ $rc -ne 0 && $out == "Unable to install TALVEN - "*" (0x431)" ]]; then
  pass "a second -install: \"$out\""
else
  fail "a second -install prints \"Unable to install TALVEN - ... (0x431)\"" "exit $rc" "$out"
fi
check "the second -install kept InstallDate" \
  test "$(root_value InstallDate)" = "$install_date"

# --- The start-up launcher: TALVENST.exe starts TALVENSU from its own directory; the
#     recording stand-in, copied as TALVENSU.exe, writes down how it was started (the path
#     is quoted only when it holds a space). ---
cp "$dir/TALVENMS.exe" "$dir/TALVENSU.exe"
: >"$dir/notices.txt"
win "$dir/TALVENST.exe"
rc=$?
launched() { [[ -s $dir/notices.txt ]]; }
check "TALVENST.exe exits 0" test "$rc" -eq 0
wait_for 10 launched
started_as=$(tr -d '\r' <"$dir/notices.txt" 2>/dev/null)
check "TALVENST.exe started TALVENSU from its directory: $started_as" \
  test "$started_as" = "$windir\\TALVENSU"

# --- 6. -remove stops the service in order ---
t=$SECONDS
out=$(win "$dir/TALVENSV.exe" -remove)
rc=$?
stop_lines='^Stopping TALVEN\.+'$'\n''TALVEN stopped\.'$'\n''TALVEN removed\.$'
if [[ $rc -eq 0 && $out =~ $stop_lines ]]; then
  pass "TALVENSV.exe -remove: $(tr '\n' ' ' <<<"$out")($((SECONDS - t)) s)"
else
  fail "TALVENSV.exe -remove prints the stop lines and \"TALVEN removed.\"" "exit $rc" "$out"
fi
check "ORNALOG.TXT: \"All threads 1/1 terminate success.\"" \
  traced 'All threads 1/1 terminate success.'

# --- 7. The service is gone ---
gone() { [[ -z $(service_state) ]]; }
check "sc query no longer lists TALVEN" wait_for 10 gone
out=$(win "$dir/TALVENSV.exe" -remove)
# The text is the system's: Windows says "The specified service does not exist as an installed
# service.", Wine "Service does not exist.".
if [[ $out == "OpenService failed - "*" (0x424)" ]]; then pass "a second -remove: \"$out\""
else fail "a second -remove prints \"OpenService failed - ... (0x424)\"" "$out"; fi
win "$dir/quillon-kori-sim.exe" -stop >/dev/null
win "$dir/quillon-kori-sim.exe" -unregserver >/dev/null

echo "# ORNALOG.TXT:"
trace | sed 's/^/#   /'
echo "# end-to-end run: $((SECONDS - started)) s"
if ((failures > 0)); then
  echo "# $failures check(s) failed"
  exit 1
fi
echo "# all checks passed"
