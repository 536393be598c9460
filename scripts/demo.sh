#!/bin/bash
# The demo: installs the Debian packages, builds, and runs the service TALVENSV in -debug on a
# sandbox store in a temporary directory, showing its trace lines as they are written.
# Ctrl+C stops the service; the sandbox is removed afterwards (kept with QUILLON_DEMO_KEEP=1).
#
#   scripts/demo.sh
#
# To extend the demo, add the build targets your part needs to demo_targets, the programs to
# copy into the program directory to demo_programs, and put a script into scripts/demo.d/:
# every scripts/demo.d/*.sh is sourced, in name order, after the sandbox is ready and before
# the service starts. It sees REPO, BUILD_DIR and DEMO_DIR (the program directory, which also
# holds the store) and the exported QUILLON_* variables, and may start helpers, fill the store
# with "$DEMO_DIR/quillon-reg", or register cleanup commands with demo_on_exit "COMMAND".
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=$REPO/build/default

# Build targets, and the programs (paths below BUILD_DIR) copied into the program directory.
demo_targets=(TALVENSV quillon-reg)
demo_programs=(service/TALVENSV tools/reg/quillon-reg)

"$REPO/tools/install_packages.sh"
(cd "$REPO" && cmake --preset default >/dev/null && cmake --build --preset default --target "${demo_targets[@]}")

DEMO_DIR=$(mktemp -d /tmp/quillon-demo.XXXXXX)
exit_commands=()
demo_on_exit() { exit_commands+=("$1"); }
cleanup() {
  local c
  for c in "${exit_commands[@]}"; do eval "$c" || true; done
  if [[ ${QUILLON_DEMO_KEEP:-0} == 1 ]]; then
    echo "sandbox kept in $DEMO_DIR"
  else
    rm -rf "$DEMO_DIR"
  fi
}
trap cleanup EXIT

# The program directory is the sandbox: the trace log ORNALOG.TXT lands beside the programs.
for p in "${demo_programs[@]}"; do cp "$BUILD_DIR/$p" "$DEMO_DIR/"; done
export QUILLON_REGISTRY=$DEMO_DIR/registry.db
export QUILLON_RUNTIME_DIR=$DEMO_DIR/run/
mkdir -p "$QUILLON_RUNTIME_DIR"
export REPO BUILD_DIR DEMO_DIR

shopt -s nullglob
for hook in "$REPO"/scripts/demo.d/*.sh; do
  # shellcheck source=/dev/null
  source "$hook"
done
shopt -u nullglob

echo "sandbox: $DEMO_DIR (store $QUILLON_REGISTRY, sockets $QUILLON_RUNTIME_DIR)"
echo "trace lines of $DEMO_DIR/ORNALOG.TXT follow; press Ctrl+C to stop the service"
touch "$DEMO_DIR/ORNALOG.TXT"

"$DEMO_DIR/TALVENSV" -debug &
service_pid=$!
# The trace follower ends by itself shortly after the service (--pid).
tail -n +1 -F --pid="$service_pid" "$DEMO_DIR/ORNALOG.TXT" 2>/dev/null | sed -u 's/^/  trace: /' &
tail_pid=$!
demo_on_exit "kill $service_pid 2>/dev/null"

# Ctrl+C reaches the service (it stops in order); the script waits for it to finish.
trap 'true' INT
while kill -0 "$service_pid" 2>/dev/null; do
  wait "$service_pid" || true
done
wait "$tail_pid" 2>/dev/null || true
trap - INT
echo "the service has stopped"
