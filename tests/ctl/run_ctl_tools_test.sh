#!/bin/bash
# quillonctl's outputs checked by the real tools that consume them: promtool (metrics, alert
# rules and their unit tests), the node exporter's textfile collector, and the JSON schemas
# (python3-jsonschema). Exits 77 (skipped) only when one of those tools is not installed.
# Usage: run_ctl_tools_test.sh QUILLONCTL QUILLON_REG SOURCE_DIR
set -euo pipefail
ctl=$1 reg=$2 src=$3

for tool in promtool prometheus-node-exporter python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
python3 -c 'import jsonschema' 2>/dev/null || { echo "SKIP: python3-jsonschema is not installed"; exit 77; }

work=$(mktemp -d)
exporter_pid=
cleanup() {
  if [[ -n $exporter_pid ]]; then
    kill "$exporter_pid" 2>/dev/null || true
    wait "$exporter_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

export QUILLON_REGISTRY=$work/registry.db QUILLON_RUNTIME_DIR=$work/run/
mkdir -p "$work/run" "$work/textfile"
lt='HKLM\SOFTWARE\Morvath\TALVEN\LifeTime'
add() { "$reg" add "$@" /f >/dev/null; }
add 'HKLM\SOFTWARE\Morvath\TALVEN' /v Language /t REG_DWORD /d 1
add 'HKLM\SOFTWARE\Morvath\TALVEN' /v LifeTime /t REG_DWORD /d 30000
add 'HKLM\SOFTWARE\Morvath\TALVEN' /v MetricsTextfileDir /t REG_SZ /d "$work/textfile"
add "$lt\\Limit" /v CPU_FAN /t REG_DWORD /d 1000
add "$lt\\Current" /v CPU_FAN /t REG_DWORD /d 1000
add "$lt\\Limit" /v CAIS_FAN /t REG_DWORD /d 1000
add "$lt\\LimitPre" /v CAIS_FAN /t REG_DWORD /d 100
add "$lt\\Current" /v CAIS_FAN /t REG_DWORD /d 950
add "$lt\\Limit" /v UPS /t REG_DWORD /d 17520
add "$lt\\LimitPre" /v UPS /t REG_DWORD /d 2160
add "$lt\\SetupDate" /v UPS /t REG_SZ /d 2026/01/01

fail() { echo "FAIL: $*"; exit 1; }

# Metrics.
"$ctl" metrics >"$work/metrics.prom" || fail "quillonctl metrics exited $?"
promtool check metrics <"$work/metrics.prom" || fail "promtool check metrics"
grep -q '^quillon_part_state{part="CPU_FAN",state="over-limit"} 1$' "$work/metrics.prom" ||
  fail "CPU_FAN not over its limit in the metrics"

# Alert rules and their unit tests.
promtool check rules "$src/contrib/prometheus/quillon.rules.yml" || fail "promtool check rules"
(cd "$src/contrib/prometheus" && promtool test rules quillon.rules.test.yml) ||
  fail "promtool test rules"

# JSON documents against their schemas; the exit bits say pre-warning and over limit.
set +e
"$ctl" status --json >"$work/status.json"; status_exit=$?
"$ctl" forecast --json --at 2030/01/01 >"$work/forecast.json"; forecast_exit=$?
set -e
(( (status_exit & 24) == 24 )) || fail "status exit $status_exit lacks the part bits"
(( forecast_exit == 0 )) || fail "forecast exit $forecast_exit"
python3 - "$src/docs/schema" "$work" <<'PY' || fail "JSON schema validation"
import json, sys, jsonschema
schemas, work = sys.argv[1], sys.argv[2]
for name in ("status", "forecast"):
    with open(f"{schemas}/quillonctl-{name}.schema.json") as f:
        schema = json.load(f)
    with open(f"{work}/{name}.json") as f:
        doc = json.load(f)
    jsonschema.validate(doc, schema)
    print(f"{name}: valid")
PY

# The node exporter's textfile collector on a free loopback port.
cp "$work/metrics.prom" "$work/textfile/quillon.prom"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
prometheus-node-exporter --web.listen-address="127.0.0.1:$port" \
  --collector.disable-defaults --collector.textfile \
  --collector.textfile.directory="$work/textfile" >"$work/exporter.log" 2>&1 &
exporter_pid=$!
python3 - "$port" "$work/scrape.txt" <<'PY' || { cat "$work/exporter.log"; fail "no scrape"; }
import sys, time, urllib.request
port, out = sys.argv[1], sys.argv[2]
deadline = time.monotonic() + 20
while True:
    try:
        body = urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=2).read()
        break
    except OSError:
        if time.monotonic() > deadline:
            raise
        time.sleep(0.05)  # the exporter is still binding its port
open(out, "wb").write(body)
PY
grep -Eq '^quillon_part_running_seconds\{part="CPU_FAN"\} (3600000|3\.6e\+06)$' "$work/scrape.txt" ||
  fail "the exporter does not serve the quillon_ series"
grep -q '^node_textfile_scrape_error 0$' "$work/scrape.txt" || fail "textfile scrape error"
echo "PASS"
