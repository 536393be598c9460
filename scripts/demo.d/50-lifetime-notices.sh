# Demo hook (sourced by scripts/demo.sh): the lifetime check at work. Two parts are placed near
# their limits in the sandbox store, so the service's start cycle gives a pre-warning for the
# housing fans and a limit notice for the CPU fan; both reach this terminal through the TALVENMS
# stand-in (tools/notifier), a copy goes to $DEMO_DIR/notices.txt.

(cd "$REPO" && cmake --build --preset default --target TALVENMS TALVENMI >/dev/null)
cp "$BUILD_DIR/tools/notifier/TALVENMS" "$BUILD_DIR/tools/notifier/TALVENMI" "$DEMO_DIR/"

if [[ -z ${QUILLON_NOTIFY_TTYS:-} ]]; then
  if tty -s; then QUILLON_NOTIFY_TTYS=$(tty); else QUILLON_NOTIFY_TTYS=/dev/stderr; fi
fi
export QUILLON_NOTIFY_TTYS
export QUILLON_NOTIFY_LOG=$DEMO_DIR/notices.txt

demo_lt='HKLM\SOFTWARE\Morvath\TALVEN\LifeTime'
demo_reg() { "$DEMO_DIR/quillon-reg" add "$@" /f >/dev/null; }
# Screen notices on.
demo_reg "$demo_lt\\NotifyMethod" /v DSP /t REG_DWORD /d 1
demo_reg "$demo_lt\\NotifyMethod" /v LCD /t REG_DWORD /d 0
# CPU fan: 1000 of 1000 hours, its life is over.
demo_reg "$demo_lt\\Limit" /v CPU_FAN /t REG_DWORD /d 1000
demo_reg "$demo_lt\\Current" /v CPU_FAN /t REG_DWORD /d 1000
# Housing fans: 950 of 1000 hours with a 100-hour lead: 50 hours left, a pre-warning.
demo_reg "$demo_lt\\Limit" /v CAIS_FAN /t REG_DWORD /d 1000
demo_reg "$demo_lt\\LimitPre" /v CAIS_FAN /t REG_DWORD /d 100
demo_reg "$demo_lt\\Current" /v CAIS_FAN /t REG_DWORD /d 950
echo "store: CPU fan at 1000 of 1000 hours, housing fans at 950 of 1000 (lead 100 hours);"
echo "expect a pre-warning (item 19) and a limit notice from TALVENMS on $QUILLON_NOTIFY_TTYS"
unset -f demo_reg
