#!/bin/bash
# Installs the Debian packages listed in tools/packages.txt that are not installed yet.
# Needs root (or does nothing when everything is already there).
set -euo pipefail

list="$(cd "$(dirname "$0")" && pwd)/packages.txt"
mapfile -t packages < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$list" | grep -v '^$')

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]} == 0)); then
  exit 0
fi
echo "installing: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "run as root to install the packages above" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
