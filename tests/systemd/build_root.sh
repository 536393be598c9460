#!/bin/bash
# Makes the minimal Debian root the systemd tier boots, once: it is cached outside the
# repository and made again only when it is missing or was made with another package list.
#
#   build_root.sh [ROOT]      ROOT defaults to $QUILLON_NSPAWN_ROOT or
#                             /var/cache/quillon/nspawn-root
# Mirror: the one the machine's own apt configuration uses for Debian 12 ("bookworm/main", as
# apt-cache policy lists it); without one the root is not built and the script says so.
set -euo pipefail

root=${1:-${QUILLON_NSPAWN_ROOT:-/var/cache/quillon/nspawn-root}}
# systemd and D-Bus to boot; the shared libraries TALVENSV and quillon-reg need.
packages=systemd,systemd-sysv,dbus,libsqlite3-0,libsystemd0
stamp="debootstrap --variant=minbase --include=$packages bookworm"

if [[ -x $root/usr/lib/systemd/systemd && -f $root/.quillon-root ]] &&
   [[ $(cat "$root/.quillon-root") == "$stamp" ]]; then
  exit 0
fi

mirror=$(apt-cache policy 2>/dev/null |
  awk '$3 == "bookworm/main" && $2 ~ /^(https?|file):/ { print $2; exit }')
if [[ -z $mirror ]]; then
  echo "build_root.sh: the machine's apt configuration names no Debian 12 (bookworm/main)" \
    "source to build the container root from; add one to /etc/apt/sources.list.d/ and run" \
    "apt-get update" >&2
  exit 1
fi

echo "building the container root $root from $mirror (once)"
mkdir -p "$(dirname "$root")"
tmp="$root.tmp.$$"
rm -rf "$tmp"
trap 'rm -rf "$tmp"' EXIT
debootstrap --variant=minbase --include="$packages" bookworm "$tmp" "$mirror" >"$tmp.log" 2>&1 || {
  tail -n 20 "$tmp.log" >&2
  rm -f "$tmp.log"
  exit 1
}
rm -f "$tmp.log"
echo "$stamp" >"$tmp/.quillon-root"
# No getty on a console nobody reads, and no first-boot questions.
rm -f "$tmp/etc/systemd/system/getty.target.wants/"* 2>/dev/null || true
echo quillon-tier >"$tmp/etc/hostname"
rm -rf "$root"
mv "$tmp" "$root"
trap - EXIT
