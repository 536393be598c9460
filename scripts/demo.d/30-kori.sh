# Demo hook (sourced by scripts/demo.sh): the start-time hardware step answers at once. The
# KORI simulator runs on a private system bus (DBUS_SYSTEM_BUS_ADDRESS points the service at
# it) with cabinet 1, 5010 operating hours and a PSU of the monitored type, and RdQueryH.sh
# lies beside the service (without a RAID tool on the machine it reports "no RAID manager",
# so the discovery ends at once instead of retrying for five minutes).

(cd "$REPO" && cmake --build --preset default --target quillon-kori-sim >/dev/null)
cp "$REPO/service/RdQueryH.sh" "$DEMO_DIR/"

# The bus and the simulator come from the helper the shell tests use as well.
# shellcheck source=../../tests/common/kori_bus.sh
source "$REPO/tests/common/kori_bus.sh"
if kori_bus_start "$DEMO_DIR" "$BUILD_DIR/tools/kori_sim/quillon-kori-sim" \
    "$REPO/tools/kori_sim/com.morvath.Kori.conf" \
    --cabinet=1 --model="QX-DEMO cabinet" --seconds=18036000 --psu=1; then
  demo_on_exit kori_bus_stop
  echo "KORI simulator on $DBUS_SYSTEM_BUS_ADDRESS (calls logged in $DEMO_DIR/kori-calls.txt)"
  "$DEMO_DIR/quillon-reg" add 'HKLM\SOFTWARE\Morvath\TALVEN' /v PsuCheck /t REG_DWORD /d 1 /f \
    >/dev/null
else
  echo "no KORI simulator: the service will find no KORI (two 60-second retries at start)"
fi
