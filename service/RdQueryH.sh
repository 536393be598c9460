#!/bin/sh
# RdQueryH.sh - the RAID report of the TALVEN service.
#
# Writes rdquerylog.txt beside this script: one section per RAID controller,
#
#   Adapter number: <controller id>
#   Product: <product name>
#   Battery: BBU present        (only when the controller has a battery backup unit)
#
# taken from the RAID manager's command-line tool: StorCLI (storcli64, storcli), else
# MegaCLI (MegaCli64, MegaCli, megacli), looked for in PATH and then in their usual
# installation directories below /opt/MegaRAID.
#
# Exit codes: 0 the report was written; 1 there is no RAID manager on this machine (the
# service then gives up at once); 2 the tool failed (the service tries again later).

set -u
umask 022
case $0 in
  */*) dir=${0%/*} ;;
  *) dir=. ;;
esac
dir=$(cd "$dir" && pwd) || exit 2
report="$dir/rdquerylog.txt"

# Prints the first of the given programs that can be run.
find_tool() {
  for candidate in "$@"; do
    case $candidate in
      /*) [ -x "$candidate" ] && { echo "$candidate"; return 0; } ;;
      *) command -v "$candidate" 2>/dev/null && return 0 ;;
    esac
  done
  return 1
}

if tool=$(find_tool storcli64 storcli /opt/MegaRAID/storcli/storcli64 \
                    /opt/MegaRAID/storcli/storcli); then
  kind=storcli
elif tool=$(find_tool MegaCli64 MegaCli megacli /opt/MegaRAID/MegaCli/MegaCli64 \
                      /opt/MegaRAID/MegaCli/MegaCli); then
  kind=megacli
else
  exit 1
fi

# The tool's output is held in a variable: that keeps its exit status and starts no more
# programs than needed (the service waits for this script at every start).
if [ "$kind" = storcli ]; then
  output=$("$tool" /call show all 2>/dev/null)
else
  output=$("$tool" -AdpAllInfo -aALL -NoLog 2>/dev/null)
fi
status=$?

# StorCLI: "Controller = N" opens a controller (it repeats inside the block), "Product Name =" or
# "Model =" names it, "BBU = Present" reports its battery. MegaCLI: "Adapter #N", then
# "Product Name : ..." and "BBU : Present".
awk -v kind="$kind" '
  function trim(s) { sub(/^[ \t\r]+/, "", s); sub(/[ \t\r]+$/, "", s); return s }
  function value(s) { sub(/^[^=:]*[=:]/, "", s); return trim(s) }
  function open_controller(id) {
    printf "Adapter number: %s\n", id
    have_product = 0; have_bbu = 0; open = 1
  }
  kind == "storcli" && /^[ \t]*Controller[ \t]*=[ \t]*[0-9]+[ \t\r]*$/ {
    id = value($0)
    if (!open || id != current) { current = id; open_controller(id) }
    next
  }
  kind == "megacli" && /^[ \t]*Adapter[ \t]*#[0-9]+/ {
    id = $0; sub(/^[^#]*#/, "", id); sub(/[^0-9].*$/, "", id)
    open_controller(id)
    next
  }
  open && !have_product && /^[ \t]*(Product Name|Model)[ \t]*[=:]/ {
    printf "Product: %s\n", value($0); have_product = 1; next
  }
  open && !have_bbu && /^[ \t]*BBU[ \t]*[=:][ \t]*Present/ {
    print "Battery: BBU present"; have_bbu = 1; next
  }
' >"$report" <<EOF_OUTPUT || exit 2
$output
EOF_OUTPUT

[ "$status" -eq 0 ] || exit 2
exit 0
