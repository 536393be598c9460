# Sourced by the Windows tier's scripts (run_wine_tier.sh, run_wine_e2e.sh).
#
# start_wine_prefix TAG: makes a private Wine prefix afresh in a temporary directory
# (WINEPREFIX, exported, with WINEDEBUG=-all) and sets it up. Its server is started persistent,
# so that the prefix's service control manager outlives each program. Sets $prefix; the prefix
# and its server go when the script exits. Non-zero when wineboot fails.
start_wine_prefix() {
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/quillon-$1.XXXXXX")
  export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
  trap 'wineserver -k >/dev/null 2>&1; rm -rf "$prefix"' EXIT
  wineboot -i >/dev/null 2>&1 </dev/null || return 1
  # A service started while a new prefix is still being set up may miss its start time-out.
  wineserver -w
  wineserver -p
}
