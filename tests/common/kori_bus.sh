# Sourced by shell tests and the demo (POSIX sh): a private system bus with the policy of
# com.morvath.Kori and quillon-kori-sim on it, so that a TALVENSV started afterwards finds its
# KORI at once instead of waiting through its retries. The C++ tests have the same in
# tests/common/bus_harness.h.
#
#   kori_bus_start DIR SIM POLICY [SIM-OPTION...]
#     Writes the bus configuration (this machine's system bus configuration minus what only
#     the real system bus does, plus POLICY and a socket in DIR), starts dbus-daemon and then
#     SIM with the options (its calls logged to DIR/kori-calls.txt), waiting at most 10 s for
#     each. On success exports DBUS_SYSTEM_BUS_ADDRESS and sets kori_bus_pid and kori_sim_pid;
#     returns 1 with a reason on stderr otherwise (what had started is ended again).
#   kori_bus_stop
#     Ends the simulator and the bus (harmless when they do not run).

kori_bus_pid=
kori_sim_pid=

# Polls every 50 ms, at most 10 s, until the command succeeds.
kori_bus_wait() {
  kori_bus_tries=0
  until "$@"; do
    kori_bus_tries=$((kori_bus_tries + 1))
    [ "$kori_bus_tries" -gt 200 ] && return 1
    sleep 0.05
  done
}

kori_bus_start() {
  kori_bus_dir=$1
  kori_bus_sim=$2
  kori_bus_policy=$3
  shift 3
  if ! command -v dbus-daemon >/dev/null || [ ! -r /usr/share/dbus-1/system.conf ]; then
    echo "no dbus-daemon or no /usr/share/dbus-1/system.conf" >&2
    return 1
  fi
  sed -e '/<user>/d' -e '/<fork\/>/d' -e '/<pidfile>/d' -e '/<syslog\/>/d' \
    -e '/<listen>/d' -e '/<includedir>/d' -e '/<servicehelper>/d' \
    -e '/<standard_system_servicedirs\/>/d' \
    -e "s#</busconfig>#<listen>unix:path=$kori_bus_dir/kori_bus_socket</listen><include>$kori_bus_policy</include></busconfig>#" \
    /usr/share/dbus-1/system.conf >"$kori_bus_dir/kori-bus.conf"
  if [ "$(id -u)" != 0 ]; then
    # Not root: this user stands in for root and the operators' group.
    sed -i "s#</busconfig>#<policy user=\"$(id -u)\"><allow own=\"com.morvath.Kori\"/><allow send_destination=\"com.morvath.Kori\"/></policy></busconfig>#" \
      "$kori_bus_dir/kori-bus.conf"
  fi
  : >"$kori_bus_dir/kori-bus.address"
  dbus-daemon --config-file="$kori_bus_dir/kori-bus.conf" --nofork --print-address=3 \
    3>"$kori_bus_dir/kori-bus.address" </dev/null >/dev/null 2>&1 &
  kori_bus_pid=$!
  if ! kori_bus_wait test -s "$kori_bus_dir/kori-bus.address"; then
    echo "dbus-daemon did not come up" >&2
    kori_bus_stop
    return 1
  fi
  DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$kori_bus_dir/kori-bus.address")
  export DBUS_SYSTEM_BUS_ADDRESS
  "$kori_bus_sim" --log="$kori_bus_dir/kori-calls.txt" "$@" </dev/null \
    >"$kori_bus_dir/kori-sim.out" 2>&1 &
  kori_sim_pid=$!
  if ! kori_bus_wait grep -qx READY "$kori_bus_dir/kori-sim.out"; then
    echo "quillon-kori-sim did not become ready: $(cat "$kori_bus_dir/kori-sim.out")" >&2
    kori_bus_stop
    return 1
  fi
}

kori_bus_stop() {
  for kori_bus_p in $kori_sim_pid $kori_bus_pid; do
    kill "$kori_bus_p" 2>/dev/null || true
    wait "$kori_bus_p" 2>/dev/null || true
  done
  kori_sim_pid=
  kori_bus_pid=
}
