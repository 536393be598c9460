#!/bin/bash
# The test command: installs every Debian package needed, then builds and tests everything.
#
#   tests/run_all.sh
#
# 1. clang-format over every tracked C++ file (tools/check_format.sh);
# 2. the default preset: build, every test except the systemd tier; then clang-tidy on the
#    files changed since the merge-base with main, or in the last commit on main
#    (tools/run_clang_tidy.sh);
# 3. the asan preset (AddressSanitizer + UndefinedBehaviorSanitizer): build, the unit tests;
# 4. the tsan preset (ThreadSanitizer): build the threaded tests only, run them;
# 5. the fuzz preset (clang, libFuzzer): build the fuzzers, run each for a bounded time
#    ($QUILLON_FUZZ_SECONDS, default 30 s);
# 6. the windows preset (MinGW-w64 cross build, through the same compiler cache): configure,
#    build, every unit-test program under Wine in a fresh private prefix
#    (tests/windows/run_wine_tier.sh), and the end-to-end service cycle under Wine
#    (tests/windows/run_wine_e2e.sh);
# 7. the Debian packages (tools/build_deb.sh into build/deb) and lintian on them;
# 8. the systemd tier (tests/systemd) in a systemd-nspawn container, with the package tier on
#    the packages of step 7.
# Every step runs even when an earlier one failed; the summary lists them. Exit 0 only when all
# passed. Needs root (packages, the container) on Debian 12.
set -uo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
cd "$REPO"
fuzz_seconds=${QUILLON_FUZZ_SECONDS:-30}

# A compiler cache makes a second run of the test command (and the package build, which
# compiles the same sources again) much quicker; the first run costs the same as without it.
use_ccache() {
  command -v ccache >/dev/null || return 0
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$REPO} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
}

results=()
failed=0
step() {  # step NAME COMMAND...
  local name=$1 start=$SECONDS
  shift
  echo
  echo "=== $name"
  if "$@"; then
    results+=("PASS  $name ($((SECONDS - start)) s)")
  else
    results+=("FAIL  $name ($((SECONDS - start)) s)")
    failed=1
  fi
}

run_fuzzers() {
  local dir status=0 f name
  dir=$(mktemp -d /tmp/quillon-fuzz.XXXXXX)
  mapfile -t fuzzers < <(find build/fuzz -type f -executable -name '*_fuzzer' | sort)
  if ((${#fuzzers[@]} == 0)); then
    echo "no fuzzers were built"
    rm -rf "$dir"
    return 1
  fi
  for f in "${fuzzers[@]}"; do
    name=$(basename "$f")
    mkdir -p "$dir/$name"
    echo "--- $name (${fuzz_seconds} s)"
    if "$f" -max_total_time="$fuzz_seconds" -print_final_stats=1 -artifact_prefix="$dir/$name/" \
      "$dir/$name" >"$dir/$name.log" 2>&1; then
      grep -E '^stat::number_of_executed_units' "$dir/$name.log" || true
    else
      echo "$name FAILED; its log:"
      tail -n 40 "$dir/$name.log"
      ls "$dir/$name"/crash-* "$dir/$name"/leak-* "$dir/$name"/timeout-* 2>/dev/null
      status=1
    fi
  done
  if ((status == 0)); then rm -rf "$dir"; else echo "fuzz artifacts kept in $dir"; fi
  return $status
}

# The tsan preset's tests with every ThreadSanitizer report written to a file, so that a race in
# a program a test starts (TALVENSV, the KORI simulator) fails the step even when that test does
# not look at the program's exit code or kills it.
run_tsan_tests() {
  local reports=build/tsan/reports status=0
  rm -rf "$reports"
  mkdir -p "$reports"
  TSAN_OPTIONS="log_path=$REPO/$reports/tsan second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
    ctest --preset tsan || status=1
  if compgen -G "$reports/tsan.*" >/dev/null; then
    echo "ThreadSanitizer reports ($reports):"
    cat "$reports"/tsan.*
    status=1
  fi
  return $status
}

echo "=== packages (tools/packages.txt)"
tools/install_packages.sh || { echo "cannot install the packages"; exit 1; }
use_ccache

step "format: clang-format" tools/check_format.sh

step "default: configure" cmake --preset default
step "default: build" cmake --build --preset default
step "default: tests" ctest --preset default -LE systemd
step "tidy: clang-tidy on the changed files" tools/run_clang_tidy.sh

step "asan: configure" cmake --preset asan
step "asan: build" cmake --build --preset asan
step "asan: unit tests" ctest --preset asan -L unit

step "tsan: configure" cmake --preset tsan
step "tsan: build" cmake --build --preset tsan
step "tsan: threaded tests" run_tsan_tests

step "fuzz: configure" cmake --preset fuzz
step "fuzz: build" cmake --build --preset fuzz
step "fuzz: run each fuzzer for ${fuzz_seconds} s" run_fuzzers

# The end-to-end cycle of the Windows programs under Wine. A missing script fails the step:
# the tier is not complete without it.
run_wine_e2e() {
  local script=tests/windows/run_wine_e2e.sh
  if [[ ! -f $script ]]; then
    echo "$script is missing"
    return 1
  fi
  bash "$script"
}

step "windows: configure" cmake --preset windows
step "windows: build" cmake --build --preset windows
step "windows: unit tests under Wine" tests/windows/run_wine_tier.sh --no-build
step "windows: end-to-end cycle under Wine" run_wine_e2e

# lintian's verdict on the packages: no errors; every remaining warning is overridden with its
# reason in debian/ (the summary counts what is left).
run_lintian() {
  local out
  out=$(lintian --fail-on error --display-info build/deb/*.changes 2>&1)
  local rc=$?
  printf '%s\n' "$out"
  echo "lintian: $(grep -c '^E:' <<<"$out") errors, $(grep -c '^W:' <<<"$out") warnings," \
    "$(grep -c '^I:' <<<"$out") infos"
  return $rc
}

step "packages: build (tools/build_deb.sh)" tools/build_deb.sh build/deb
step "packages: lintian" run_lintian

step "systemd tier" ctest --preset default -L systemd --output-on-failure -V

echo
echo "=== summary"
printf '%s\n' "${results[@]}"
echo "total: $((SECONDS / 60)) min $((SECONDS % 60)) s"
exit $failed
