#!/bin/bash
# The Windows tier: cross-builds the `windows` preset with MinGW-w64 and runs every unit-test
# program it makes under Wine, in a private Wine prefix made afresh in a temporary directory.
# Prints one line per program (tests passed, skipped, failed) and the totals; exits non-zero
# when a build or a test fails, or a program ends abnormally or outlasts $QUILLON_WINE_TEST_SECONDS
# (default 600).
#   tests/windows/run_wine_tier.sh [--no-build]
set -u
cd "$(dirname "$0")/../.."
root=$PWD
build=$root/build/windows

if [ "${1:-}" != "--no-build" ]; then
  start=$SECONDS
  cmake --preset windows >/dev/null || exit 1
  nice cmake --build --preset windows -- -j2 || exit 1
  echo "windows build: $((SECONDS - start)) s"
fi

# The service backends' tests install and run services in the prefix.
. "$root/tests/windows/wine_prefix.sh"
start=$SECONDS
start_wine_prefix wine || { echo "wineboot failed"; exit 1; }
echo "wine prefix: $((SECONDS - start)) s"

start=$SECONDS
limit=${QUILLON_WINE_TEST_SECONDS:-600}
programs=0 passed=0 skipped=0 failed=0 broken=0
while IFS= read -r exe; do
  programs=$((programs + 1))
  log=$prefix/$(basename "$exe").log
  # A hung test (a wait that never ends under Wine) fails its program instead of the tier.
  (cd "$(dirname "$exe")" && timeout "$limit" wine "$exe" --gtest_brief=1) >"$log" 2>&1
  rc=$?
  ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  skip=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?[.,].*/\1/p' "$log" | tail -1)
  bad=$(grep -cE '^\[  FAILED  \] [A-Za-z0-9_/]+\.[A-Za-z0-9_/]+ \(' "$log")
  ok=${ok:-0} skip=${skip:-0}
  passed=$((passed + ok)) skipped=$((skipped + skip)) failed=$((failed + bad))
  rel=${exe#"$build"/}
  if [ "$rc" -ne 0 ]; then
    [ "$bad" -eq 0 ] && broken=$((broken + 1))
    [ "$rc" -eq 124 ] && echo "$rel outlasted ${limit} s"
    echo "FAIL $rel: $ok passed, $skip skipped, $bad failed (exit $rc)"
    grep -E '^\[  FAILED  \]|Failure|error' "$log" | head -20
  else
    echo "ok   $rel: $ok passed, $skip skipped"
  fi
done < <(find "$build" -name '*_test.exe' -not -path '*/googletest/*' | sort)
echo "wine run: $((SECONDS - start)) s"
echo "windows tier: $programs programs, $((passed + skipped + failed)) tests ran:" \
  "$passed passed, $skipped skipped, $failed failed; $broken programs ended abnormally"
[ "$failed" -eq 0 ] && [ "$broken" -eq 0 ]
