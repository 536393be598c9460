#!/bin/bash
# Runs a Qt test program on a real display server of its own and ends the server afterwards.
#
#   run_on_display.sh x11 WIDTHxHEIGHT SCALE PROGRAM [ARGS...]
#       Xvfb with one screen of that size and the openbox window manager; the program runs
#       with QT_QPA_PLATFORM=xcb and QT_SCALE_FACTOR=SCALE.
#   run_on_display.sh wayland PLATFORM_PLUGIN_DIR PROGRAM [ARGS...]
#       weston with its headless backend (pixman renderer, 800x600); the program runs as the
#       compositor's autolaunched client with QT_QPA_PLATFORM=wayland. With
#       QUILLON_WAYLAND_TITLE set, the compositor must also have seen a top-level window of
#       that title (its protocol log is read once the client has ended).
#
# The program's exit code is the script's. Exit 77 (a skip) only when a needed program or the
# Qt platform plugin is not installed. Every wait is on the event itself and bounded.
set -uo pipefail

bound=20  # seconds; only a broken display server makes the script wait this long
mode=${1:?mode}
shift

skip() {
  echo "SKIP: $*"
  exit 77
}

work=$(mktemp -d /tmp/quillon-display.XXXXXX)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
# Qt and weston keep their sockets and state in a private runtime directory.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

# Reads one line from the FIFO $1 within the bound into $REPLY; fails when none came.
read_fifo() {
  exec {fd}<>"$1"
  read -r -t "$bound" -u "$fd"
  local rc=$?
  exec {fd}<&-
  return $rc
}

run_x11() {
  local size=${1:?size} scale=${2:?scale}
  shift 2
  command -v Xvfb >/dev/null || skip "Xvfb is not installed"
  command -v openbox >/dev/null || skip "openbox is not installed"

  # Xvfb writes the number of the display it chose once it accepts connections.
  mkfifo "$work/display" "$work/wm"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" \
    2>"$work/xvfb.log" &
  pids+=($!)
  if ! read_fifo "$work/display"; then
    cat "$work/xvfb.log"
    echo "Xvfb did not start"
    return 1
  fi
  export DISPLAY=":$REPLY"

  # openbox runs its start-up command once it manages the screen.
  openbox --sm-disable --config-file /etc/xdg/openbox/rc.xml \
    --startup "sh -c 'echo ready > $work/wm'" >"$work/openbox.log" 2>&1 &
  pids+=($!)
  if ! read_fifo "$work/wm"; then
    cat "$work/openbox.log"
    echo "openbox did not start"
    return 1
  fi

  QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" "$@"
}

run_wayland() {
  local plugins=${1:?plugin dir}
  shift
  command -v weston >/dev/null || skip "weston is not installed"
  [ -e "$plugins/libqwayland-generic.so" ] || skip "Qt's wayland platform plugin is not installed"

  # The client runs inside the compositor's session (weston sets WAYLAND_DISPLAY for it) and
  # leaves its exit code behind; weston ends when it does.
  local client="$work/client.sh" args
  printf -v args ' %q' "$@"
  cat >"$client" <<EOF
#!/bin/bash
QT_QPA_PLATFORM=wayland$args
echo \$? > "$work/status"
EOF
  chmod +x "$client"
  cat >"$work/weston.ini" <<EOF
[core]
idle-time=0

[shell]
animation=none
startup-animation=none

[autolaunch]
path=$client
watch=true
EOF
  # --debug lets weston-screenshooter take a picture of the output for the client.
  QUILLON_WAYLAND_SHOOTER=$(command -v weston-screenshooter) \
    timeout --kill-after=5 120 weston --debug \
    --backend=headless-backend.so --use-pixman --width=800 --height=600 \
    --config="$work/weston.ini" --socket=quillon-wayland --idle-time=0 \
    --logger-scopes=log,proto --log="$work/weston.log"
  local weston_rc=$?
  if [ ! -s "$work/status" ]; then
    cat "$work/weston.log"
    echo "weston ended ($weston_rc) without running the client"
    return 1
  fi
  local status
  status=$(cat "$work/status")
  if [ "$status" = 0 ] && [ -n "${QUILLON_WAYLAND_TITLE:-}" ] &&
    ! grep -qF "set_title(\"$QUILLON_WAYLAND_TITLE\")" "$work/weston.log"; then
    echo "weston never saw a window titled $QUILLON_WAYLAND_TITLE"
    return 1
  fi
  return "$status"
}

case "$mode" in
  x11) run_x11 "$@" ;;
  wayland) run_wayland "$@" ;;
  *)
    echo "unknown mode $mode"
    exit 2
    ;;
esac
