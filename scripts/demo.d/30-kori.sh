# Demo hook (sourced by scripts/demo.sh): the start-time hardware step answers at once. The
# KORI simulator runs on a private system bus (DBUS_SYSTEM_BUS_ADDRESS points the service at
# it) with cabinet 1, 5010 operating hours and a PSU of the monitored type, and RdQueryH.sh
# lies beside the service (without a RAID tool on the machine it reports "no RAID manager",
# so the discovery ends at once instead of retrying for five minutes).

(cd "$REPO" && cmake --build --preset default --target quillon-kori-sim >/dev/null)
cp "$REPO/service/RdQueryH.sh" "$DEMO_DIR/"

if command -v dbus-daemon >/dev/null; then
  # The machine's system bus configuration minus what only the real system bus needs, plus
  # the policy of com.morvath.Kori, on a socket in the sandbox.
  sed -e '/<user>/d' -e '/<fork\/>/d' -e '/<pidfile>/d' -e '/<syslog\/>/d' \
      -e '/<listen>/d' -e '/<includedir>/d' -e '/<servicehelper>/d' \
      -e '/<standard_system_servicedirs\/>/d' \
      -e "s#</busconfig>#<listen>unix:path=$DEMO_DIR/kori_bus_socket</listen><include>$REPO/tools/kori_sim/com.morvath.Kori.conf</include></busconfig>#" \
      /usr/share/dbus-1/system.conf >"$DEMO_DIR/kori-bus.conf"
  { read -r demo_bus_address; read -r demo_bus_pid; } < <(
    dbus-daemon --config-file="$DEMO_DIR/kori-bus.conf" --fork --print-address=1 --print-pid=1 \
      2>/dev/null)
  demo_on_exit "kill $demo_bus_pid 2>/dev/null"
  export DBUS_SYSTEM_BUS_ADDRESS=$demo_bus_address
  coproc DEMO_KORI_SIM {
    exec "$BUILD_DIR/tools/kori_sim/quillon-kori-sim" --cabinet=1 --model="QX-DEMO cabinet" \
      --seconds=18036000 --psu=1 --log="$DEMO_DIR/kori-calls.txt"
  }
  demo_on_exit "kill $DEMO_KORI_SIM_PID 2>/dev/null"
  if read -r -t 10 demo_line <&"${DEMO_KORI_SIM[0]}" && [[ $demo_line == READY ]]; then
    echo "KORI simulator on $demo_bus_address (calls logged in $DEMO_DIR/kori-calls.txt)"
  else
    echo "the KORI simulator did not start; the service will find no KORI"
  fi
  "$DEMO_DIR/quillon-reg" add 'HKLM\SOFTWARE\Morvath\TALVEN' /v PsuCheck /t REG_DWORD /d 1 /f \
    >/dev/null
  unset demo_line demo_bus_pid
else
  echo "no dbus-daemon: the service will find no KORI (two 60-second retries at start)"
fi
