# Demo hook (sourced by scripts/demo.sh, first of the hooks): the sandbox is set up the way an
# operator sets up a server, with the setup program TALVENU2 and the shipped TALVENU2.ini, before
# the later hooks put the KORI simulator up and place parts near their limits.
#
# TALVENU2 fills the sandbox store in setup mode, runs "TALVENSV -remove" and "TALVENSV -install"
# and writes its two desktop entries. Everything it touches is kept inside the sandbox:
# - the store is QUILLON_REGISTRY (set by demo.sh), the log goes to $DEMO_DIR/setup/ (-f2), the
#   desktop entries to $DEMO_DIR/applications and $DEMO_DIR/config/autostart;
# - the service registration talks to systemd over the system bus. For this one step
#   DBUS_SYSTEM_BUS_ADDRESS names a socket in the sandbox that does not exist, so TALVENSV finds
#   no service manager and registers nothing ("OpenSCManager failed" and "Unable to install
#   TALVEN", both with "The RPC server is unavailable."), and QUILLON_UNIT_DIR points into the
#   sandbox as well, so no unit file could land in /etc/systemd/system even then. TALVENU2 does
#   not look at TALVENSV's exit codes, so it still completes; the demo then runs the service
#   itself with -debug.

(cd "$REPO" && cmake --build --preset default --target TALVENU2 >/dev/null)
cp "$BUILD_DIR/setup/TALVENU2" "$REPO/setup/TALVENU2.ini" "$DEMO_DIR/"

echo "setup: $DEMO_DIR/TALVENU2 -f2$DEMO_DIR/setup/TALVENU2.log (no system service manager in reach)"
# The exit code is shown, not acted on: the demo goes on to run the service either way.
set +e
env DBUS_SYSTEM_BUS_ADDRESS="unix:path=$DEMO_DIR/no-system-bus" \
    QUILLON_UNIT_DIR="$DEMO_DIR/units" \
    QUILLON_APPLICATIONS_DIR="$DEMO_DIR/applications/" \
    XDG_CONFIG_HOME="$DEMO_DIR/config" \
    "$DEMO_DIR/TALVENU2" "-f2$DEMO_DIR/setup/TALVENU2.log" 2>&1 | sed -u 's/^/  setup: /'
demo_setup_status=${PIPESTATUS[0]}
set -e
echo "setup: TALVENU2 exit code $demo_setup_status; its log:"
sed 's/^/  setup log: /' "$DEMO_DIR/setup/TALVENU2.log" 2>/dev/null || echo "  (no log)"
echo "setup: desktop entries written:"
(cd "$DEMO_DIR" && find applications config -name '*.desktop' 2>/dev/null | sed 's/^/  /') || true
unset demo_setup_status
