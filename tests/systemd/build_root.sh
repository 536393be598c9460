#!/bin/bash
# Makes the minimal Debian root the systemd tier boots, once: it is cached outside the
# repository and made again only when it is missing or was made with another package list.
#
#   build_root.sh [ROOT]      ROOT defaults to $QUILLON_NSPAWN_ROOT or
#                             /var/cache/quillon/nspawn-root
# Mirror: $QUILLON_DEBIAN_MIRROR, else the first deb.debian.org-style URI of the machine's
# own apt sources, else http://deb.debian.org/debian.
set -euo pipefail

root=${1:-${QUILLON_NSPAWN_ROOT:-/var/cache/quillon/nspawn-root}}
# systemd and D-Bus to boot; the shared libraries TALVENSV and quillon-reg need.
packages=systemd,systemd-sysv,dbus,libsqlite3-0,libsystemd0
stamp="debootstrap --variant=minbase --include=$packages bookworm"

if [[ -x $root/usr/lib/systemd/systemd && -f $root/.quillon-root ]] &&
   [[ $(cat "$root/.quillon-root") == "$stamp" ]]; then
  exit 0
fi

mirror=${QUILLON_DEBIAN_MIRROR:-}
if [[ -z $mirror ]]; then
  mirror=$(grep -hoE '^(URIs:|deb)[[:space:]]+(\[[^]]*\][[:space:]]+)?https?://[^[:space:]]+/debian/?([[:space:]]|$)' \
             /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list \
             2>/dev/null | grep -oE 'https?://[^[:space:]]+' | head -n1 || true)
fi
mirror=${mirror:-http://deb.debian.org/debian}

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
