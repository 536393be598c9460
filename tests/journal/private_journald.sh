# Sourced by the journal tests (POSIX sh): a private systemd-journald that lives in a mount
# namespace of its own, with tmpfs over /run/systemd, /run/log (and /var/log/journal when it
# exists), so the host's logging (if any) is never touched.
#
#   private_journald_enter "$@"
#     Exits 77 (skipped) unless the test runs as root with unshare and systemd-journald;
#     otherwise re-executes the calling script ($0 with the given arguments) in a private
#     mount namespace, once.
#   private_journald_mount WORK [DIR...]
#     Mounts the tmpfs layers (also over each DIR) and a volatile journald.conf without rate
#     limits or forwarding (written to WORK). Namespace only.
#   private_journald_start WORK
#     Starts systemd-journald (its output in WORK/journald.log) and waits at most 20 s for its
#     socket. Sets private_journald_pid; returns 1 with the journald output on stdout when it
#     ended or did not come up.
#   private_journald_stop
#     Ends the journald again (harmless when it does not run).

private_journald=/lib/systemd/systemd-journald
private_journald_pid=

private_journald_enter() {
  if [ "$(id -u)" != 0 ] || ! command -v unshare >/dev/null || [ ! -x "$private_journald" ]; then
    echo "SKIP: needs root, unshare and $private_journald"
    exit 77
  fi
  if [ -z "${QUILLON_JOURNAL_NAMESPACE:-}" ]; then
    QUILLON_JOURNAL_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
  fi
}

private_journald_mount() {
  private_journald_work=$1
  shift
  # Everything below is visible to this namespace only.
  for private_journald_dir in /run/systemd /run/log "$@"; do
    mkdir -p "$private_journald_dir"
    mount -t tmpfs tmpfs "$private_journald_dir"
  done
  if [ -d /var/log/journal ]; then mount -t tmpfs tmpfs /var/log/journal; fi
  cat >"$private_journald_work/journald.conf" <<'CONF'
[Journal]
Storage=volatile
ReadKMsg=no
ForwardToSyslog=no
ForwardToKMsg=no
ForwardToConsole=no
ForwardToWall=no
RateLimitBurst=0
CONF
  if [ -f /etc/systemd/journald.conf ]; then
    mount --bind "$private_journald_work/journald.conf" /etc/systemd/journald.conf
  fi
}

private_journald_start() {
  "$private_journald" >"$1/journald.log" 2>&1 &
  private_journald_pid=$!
  private_journald_tries=0
  until [ -S /run/systemd/journal/socket ]; do
    private_journald_tries=$((private_journald_tries + 1))
    if [ "$private_journald_tries" -gt 400 ] || ! kill -0 "$private_journald_pid" 2>/dev/null; then
      cat "$1/journald.log"
      return 1
    fi
    sleep 0.05
  done
}

private_journald_stop() {
  if [ -n "$private_journald_pid" ]; then
    kill "$private_journald_pid" 2>/dev/null || true
    wait "$private_journald_pid" 2>/dev/null || true
    private_journald_pid=
  fi
}
