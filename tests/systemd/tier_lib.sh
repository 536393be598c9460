# Shared by the container tiers (sourced): TAP-style results, commands inside the booted
# container, bounded waits and stopping the container.
#
# The caller sets `leader` (the container's init, for nsenter) and `nspawn_pid`.

failures=0
pass() { echo "ok - $1"; }
fail() {
  echo "not ok - $1"
  shift
  for detail in "$@"; do printf '    %s\n' "$detail"; done
  failures=$((failures + 1))
}
check() {  # check NAME COMMAND...: passes when the command succeeds
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

# Runs a command inside the container with a clean environment.
in_container() {
  nsenter --target "$leader" --mount --uts --ipc --net --pid --root --wd=/ -- \
    env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# Polls `COMMAND...` every 100 ms until it succeeds or SECONDS pass; 0 when it succeeded.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  while ((SECONDS < deadline)); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  "$@" >/dev/null 2>&1
}

# Stops the container started as $nspawn_pid: SIGTERM (an orderly shutdown), SIGKILL after 30 s.
stop_container() {
  if [[ -n $nspawn_pid ]] && kill -0 "$nspawn_pid" 2>/dev/null; then
    kill -TERM "$nspawn_pid" 2>/dev/null
    for _ in $(seq 300); do kill -0 "$nspawn_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$nspawn_pid" 2>/dev/null
  fi
  [[ -n $nspawn_pid ]] && wait "$nspawn_pid" 2>/dev/null
  nspawn_pid=
}

# Waits until the container's init `systemd` (a child of $nspawn_pid) is there and the system
# is up (running or degraded); sets `leader`. 1 when it does not come within the bounds.
await_boot() {
  find_leader() {
    leader=$(pgrep -P "$nspawn_pid" -x systemd | head -n1)
    [[ -n $leader ]]
  }
  wait_for 60 find_leader || return 1
  find_leader
  booted() {
    local s
    s=$(in_container systemctl is-system-running 2>/dev/null)
    [[ $s == running || $s == degraded ]]
  }
  wait_for 120 booted
}
