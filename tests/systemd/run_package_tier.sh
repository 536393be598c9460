#!/bin/bash
# The package tier: installs the built Debian packages into the cached minimal Debian root and
# checks what an operator gets from `apt install ./quillon_*.deb`: the group, the modes of the
# directories, store, sockets and logs, a running, enabled and hardened TALVEN.service, access
# for members of quillon only, upgrade (operator data kept), remove (data kept, service gone),
# purge (data gone) and a fresh reinstall; then an installation into the root while it is not
# booted (no running systemd), after which the first boot brings the service up.
#
#   run_package_tier.sh DEBDIR quillon-pipe-call
#
# DEBDIR holds quillon_*.deb and quillon-kori-sim_*.deb (tools/build_deb.sh). The cached root
# stays untouched: the container runs on an overlay whose upper layer is thrown away. Exit 0
# when every check passed, 1 when one failed, 77 when the tier cannot run here (not root, no
# systemd-nspawn, no packages built).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
debdir=$(readlink -f "${1:?usage: run_package_tier.sh DEBDIR quillon-pipe-call}")
pipe_call=$(readlink -f "${2:?usage: run_package_tier.sh DEBDIR quillon-pipe-call}")
root=${QUILLON_NSPAWN_ROOT:-/var/cache/quillon/nspawn-root}
max_exposure=4.0

if [[ $(id -u) -ne 0 ]]; then echo "SKIP: the package tier needs root"; exit 77; fi
for tool in systemd-nspawn nsenter debootstrap dpkg-deb; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
deb=$(ls "$debdir"/quillon_*.deb 2>/dev/null | head -n1)
sim_deb=$(ls "$debdir"/quillon-kori-sim_*.deb 2>/dev/null | head -n1)
if [[ -z $deb ]]; then
  echo "SKIP: no quillon_*.deb in $debdir (run tools/build_deb.sh)"
  exit 77
fi

"$here/build_root.sh" "$root" || { echo "FAIL: cannot build the container root"; exit 1; }

work=$(mktemp -d /tmp/quillon-package-tier.XXXXXX)
mkdir -p "$work/upper" "$work/ovl" "$work/merged" "$work/debs"
if ! mount -t overlay overlay -o "lowerdir=$root,upperdir=$work/upper,workdir=$work/ovl" \
  "$work/merged"; then
  rm -rf "$work"
  echo "SKIP: cannot mount an overlay over the container root"
  exit 77
fi
cp "$deb" "$work/debs/"
[[ -n $sim_deb ]] && cp "$sim_deb" "$work/debs/"
cp "$pipe_call" "$work/debs/quillon-pipe-call"

# The upgrade: the same package with a higher version (the maintainer scripts and the data
# are what an upgrade tests; the programs need not differ).
version=$(dpkg-deb -f "$deb" Version)
upgrade_deb=$work/debs/upgrade/quillon_${version}+tier1_$(dpkg-deb -f "$deb" Architecture).deb
mkdir -p "$work/repack" "$(dirname "$upgrade_deb")"
dpkg-deb -R "$deb" "$work/repack"
sed -i "s/^Version: .*/Version: ${version}+tier1/" "$work/repack/DEBIAN/control"
dpkg-deb -b -Zgzip "$work/repack" "$upgrade_deb" >/dev/null

nspawn_pid=
leader=
. "$here/tier_lib.sh"
cleanup() {
  stop_container
  umount "$work/merged" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

as_user() {  # as_user USER COMMAND...: with USER's groups, as a login would give them
  local user=$1
  shift
  in_container setpriv --reuid="$user" --regid="$user" --init-groups -- "$@"
}
boot() {
  systemd-nspawn --boot --register=no --keep-unit --console=pipe -D "$work/merged" \
    --machine="quillon-pkg-$$" --bind-ro="$work/debs:/debs" \
    >>"$work/console.log" 2>&1 </dev/null &
  nspawn_pid=$!
  await_boot
}

unit_active() { [[ $(in_container systemctl is-active TALVEN.service 2>/dev/null) == active ]]; }
refuses() { ! "$@" >/dev/null 2>&1; }  # refuses COMMAND...: passes when the command fails
quietly() { "$@" >/dev/null 2>&1; }
mode_of() { in_container stat -c '%a %U:%G' "$1" 2>&1; }
reg() { in_container /opt/quillon/bin/quillon-reg "$@"; }
reg_dword() {  # reg_dword KEY NAME
  reg query "HKLM\\SOFTWARE\\Morvath\\TALVEN$1" /v "$2" 2>/dev/null |
    awk -v n="$2" '$1 == n { print $3 }'
}

echo "# booting $root on an overlay"
if ! boot; then
  fail "container boots" "$(tail -n 20 "$work/console.log")"
  exit 1
fi
pass "container boots"

# 1. apt install into the running system.
start=$(date +%s%N)
out=$(in_container apt-get install -y -q --no-install-recommends /debs/"$(basename "$deb")" 2>&1)
rc=$?
check "apt-get install ./quillon_*.deb succeeds" test "$rc" -eq 0 || printf '%s\n' "$out" | tail -n 20
wait_for 30 unit_active
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
check "TALVEN.service is active after the installation" unit_active
echo "# apt install to service running: ${elapsed_ms} ms"
check "TALVEN.service is enabled" test "$(in_container systemctl is-enabled TALVEN.service 2>&1)" = enabled
check "the group quillon exists" quietly in_container getent group quillon
# The sockets open once the start-time hardware step is done; without KORI it waits through
# its retries, so the simulator (installed, not enabled) answers it and the service restarts.
if [[ -n $sim_deb ]]; then
  in_container apt-get install -y -q --no-install-recommends /debs/"$(basename "$sim_deb")" \
    >/dev/null 2>&1
  check "quillon-kori-sim.service is installed but not enabled" \
    test "$(in_container systemctl is-enabled quillon-kori-sim.service 2>&1)" = disabled
  in_container systemctl start quillon-kori-sim.service
  in_container systemctl restart TALVEN.service
fi
sockets_open() { in_container test -S /run/quillon/ORNA_PIPE -a -S /run/quillon/ORNAPartsChange; }
check "the service opens both sockets" wait_for 60 sockets_open
for pair in "/var/lib/quillon 2770 root:quillon" "/var/lib/quillon/registry.db 660 root:quillon" \
            "/run/quillon 750 root:quillon" "/run/quillon/ORNA_PIPE 660 root:quillon" \
            "/run/quillon/ORNAPartsChange 660 root:quillon" "/var/log/quillon 750 root:quillon" \
            "/var/log/quillon/setup.log 644 root:root"; do
  set -- $pair
  got=$(mode_of "$1")
  check "$1 is $2 $3 ($got)" test "$got" = "$2 $3"
done
for f in /var/lib/quillon/registry.db-wal /var/lib/quillon/registry.db-shm; do
  got=$(mode_of "$f")
  check "$f is 660 root:quillon ($got)" test "$got" = "660 root:quillon"
done
check "the setup logged \"TALVENU2.EXE complete.\"" \
  in_container grep -q 'TALVENU2.EXE complete.' /var/log/quillon/setup.log
check "the manual pages are installed" in_container test -f /usr/share/man/man8/TALVENSV.8.gz

# 2. Hardening, measured by systemd itself.
security=$(in_container systemd-analyze security --no-pager TALVEN.service 2>&1)
exposure=$(grep -oE 'Overall exposure level for TALVEN.service: [0-9.]+' <<<"$security" | awk '{print $NF}')
echo "# systemd-analyze security TALVEN.service: ${exposure:-?}"
if [[ -n $exposure ]] && awk -v e="$exposure" -v m="$max_exposure" 'BEGIN { exit !(e <= m) }'; then
  pass "exposure $exposure is at most $max_exposure"
else
  fail "exposure ${exposure:-?} is at most $max_exposure" "$(grep -E '✗' <<<"$security" | head -n 30)"
fi

# 3. An operator (member of quillon) may use the store and both sockets; a stranger may not.
in_container useradd -m -G quillon qoperator
in_container useradd -m qstranger

# 3a. A notice reaches an operator's terminal from inside the service's sandbox: TALVENMS runs
#     with every [Service] setting of the installed unit, writing to the operator's terminal
#     (owned by the operator, group tty, mode 0620, as a login makes it).
as_user qoperator script -q -f -c "sleep 30" /dev/null >"$work/terminal.txt" 2>&1 &
terminal_pid=$!
operator_pts() { in_container find /dev/pts -user qoperator -name '[0-9]*' | grep -q .; }
wait_for 10 operator_pts
pts=$(in_container find /dev/pts -user qoperator -name '[0-9]*' | head -n1)
mapfile -t sandbox < <(in_container sed -n '/^\[Service\]/,/^\[Install\]/p' \
  /etc/systemd/system/TALVEN.service | grep -vE '^\[|^(Type|ExecStart|Restart|RestartSec|TimeoutStopSec)=|^$')
properties=()
for setting in "${sandbox[@]}"; do properties+=(-p "$setting"); done
in_container systemd-run --wait --quiet "${properties[@]}" -E "QUILLON_NOTIFY_TTYS=$pts" \
  /opt/quillon/bin/TALVENMS "package tier notice" >/dev/null 2>&1
notice_shown() { grep -q "package tier notice" "$work/terminal.txt"; }
check "a notice from the service's sandbox reaches the operator's terminal $pts" wait_for 10 notice_shown
kill "$terminal_pid" 2>/dev/null
wait "$terminal_pid" 2>/dev/null
in_container cp /debs/quillon-pipe-call /usr/local/bin/
check "an operator queries the store" \
  quietly as_user qoperator /opt/quillon/bin/quillon-reg query 'HKLM\SOFTWARE\Morvath\TALVEN' /v V/L
check "an operator writes the store" \
  quietly as_user qoperator /opt/quillon/bin/quillon-reg add 'HKLM\SOFTWARE\Morvath\TALVEN\LifeTime\Current' \
  /v CPU_FAN /t REG_DWORD /d 1234 /f
check "the operator's value is stored (CPU_FAN = $(reg_dword '\LifeTime\Current' CPU_FAN))" \
  test "$(reg_dword '\LifeTime\Current' CPU_FAN)" = 0x4d2
out=$(as_user qoperator /usr/local/bin/quillon-pipe-call ORNA_PIPE 02 2>&1)
check "an operator talks to ORNA_PIPE ($out)" test "$out" = "Heared [02]:1"
# The worker answers "Heared." only after reading the request and running its check cycle.
out=$(as_user qoperator /usr/local/bin/quillon-pipe-call ORNAPartsChange 1 2>&1)
check "an operator's parts-changed request reaches the service ($out)" test "$out" = "Heared."
check "a stranger cannot query the store" \
  refuses as_user qstranger /opt/quillon/bin/quillon-reg query 'HKLM\SOFTWARE\Morvath\TALVEN'
check "a stranger cannot write the store" \
  refuses as_user qstranger /opt/quillon/bin/quillon-reg add 'HKLM\SOFTWARE\Morvath\TALVEN' \
  /v Stranger /t REG_DWORD /d 1 /f
for pipe in ORNA_PIPE ORNAPartsChange; do
  check "a stranger cannot talk to $pipe" \
    refuses as_user qstranger /usr/local/bin/quillon-pipe-call "$pipe" 02
done

# 4. Upgrade to a higher version: every operator value stays (install dates, running hours,
#    the service's InstallDate).
reg add 'HKLM\SOFTWARE\Morvath\TALVEN\LifeTime\SetupDate' /v CPU_FAN /t REG_SZ /d 2020/01/02 /f \
  >/dev/null
operator_data() {
  reg query 'HKLM\SOFTWARE\Morvath\TALVEN\LifeTime\Current' /s 2>&1
  reg query 'HKLM\SOFTWARE\Morvath\TALVEN\LifeTime\SetupDate' /s 2>&1
  reg query 'HKLM\SOFTWARE\Morvath\TALVEN' /v InstallDate 2>&1
}
before=$(operator_data)
out=$(in_container apt-get install -y -q --no-install-recommends "/debs/upgrade/$(basename "$upgrade_deb")" 2>&1)
check "the upgrade installs" test $? -eq 0 || printf '%s\n' "$out" | tail -n 20
check "TALVEN.service is active after the upgrade" wait_for 30 unit_active
after=$(operator_data)
if [[ $before == "$after" ]] && grep -q 2020/01/02 <<<"$after" && grep -q 0x4d2 <<<"$after"; then
  pass "the upgrade keeps every running hour, install date and InstallDate"
else
  fail "the upgrade keeps every running hour, install date and InstallDate" \
    "$(diff <(echo "$before") <(echo "$after"))"
fi
check "the store keeps its mode through the upgrade ($(mode_of /var/lib/quillon/registry.db))" \
  test "$(mode_of /var/lib/quillon/registry.db)" = "660 root:quillon"

# 5. remove: the service is gone, the data stays.
[[ -n $sim_deb ]] && in_container apt-get purge -y -q quillon-kori-sim >/dev/null 2>&1
out=$(in_container apt-get remove -y -q quillon 2>&1)
check "apt-get remove succeeds" test $? -eq 0 || printf '%s\n' "$out" | tail -n 20
check "the unit file is gone after remove" in_container test ! -e /etc/systemd/system/TALVEN.service
check "TALVEN.service is not running after remove" refuses unit_active
check "the store stays after remove" in_container test -s /var/lib/quillon/registry.db

# 6. purge: the data is gone.
out=$(in_container apt-get purge -y -q quillon 2>&1)
check "apt-get purge succeeds" test $? -eq 0 || printf '%s\n' "$out" | tail -n 20
for path in /var/lib/quillon /var/log/quillon /opt/quillon /etc/systemd/system/TALVEN.service; do
  check "$path is gone after purge" in_container test ! -e "$path"
done

# 7. Reinstall after purge starts fresh.
out=$(in_container apt-get install -y -q --no-install-recommends /debs/"$(basename "$deb")" 2>&1)
check "reinstall after purge succeeds" test $? -eq 0 || printf '%s\n' "$out" | tail -n 20
check "TALVEN.service is active after the reinstall" wait_for 30 unit_active
check "the reinstalled store starts fresh (CPU_FAN = $(reg_dword '\LifeTime\Current' CPU_FAN))" \
  test "$(reg_dword '\LifeTime\Current' CPU_FAN)" != 0x4d2
in_container apt-get purge -y -q quillon >/dev/null 2>&1
stop_container

# 8. Installed while the system is not running (as an image build does), then booted.
out=$(systemd-nspawn --register=no --keep-unit --quiet -D "$work/merged" \
  --bind-ro="$work/debs:/debs" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends /debs/"$(basename "$deb")" 2>&1 </dev/null)
rc=$?
check "apt-get install without a running systemd succeeds" test "$rc" -eq 0 ||
  printf '%s\n' "$out" | tail -n 20
check "the setup was deferred to the first boot" test -e "$work/merged/var/lib/quillon/setup-pending"
if boot; then
  pass "the installed root boots"
  check "TALVEN.service comes up at the first boot" wait_for 60 unit_active
  check "the deferred setup finished" in_container test ! -e /var/lib/quillon/setup-pending
  check "the store was filled at the first boot" in_container test -s /var/lib/quillon/registry.db
else
  fail "the installed root boots" "$(tail -n 20 "$work/console.log")"
fi
stop_container

if ((failures > 0)); then
  echo "# $failures check(s) failed"
  exit 1
fi
echo "# all checks passed"
exit 0
