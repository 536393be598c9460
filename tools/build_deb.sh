#!/bin/bash
# Builds Quillon's Debian packages (quillon, quillon-gui, quillon-kori-sim) into one folder.
#
#   tools/build_deb.sh [OUTDIR]        OUTDIR defaults to build/deb
#
# Installs the build dependencies named in debian/control first (apt-get build-dep ./; needs
# root when some are missing), then runs dpkg-buildpackage -us -uc -b on a copy of the tree in
# OUTDIR/src, so the working tree stays clean. The copy is always in the same place, so with
# ccache in the environment (CMAKE_CXX_COMPILER_LAUNCHER=ccache and its CCACHE_* settings,
# which dpkg-buildpackage passes on to CMake) a second build reuses the first one's objects.
# Prints the packages it made.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$repo/build/deb}" && cd "${1:-$repo/build/deb}" && pwd)
version=$(dpkg-parsechangelog -l "$repo/debian/changelog" -S Version 2>/dev/null || true)

if ! dpkg-checkbuilddeps "$repo/debian/control" 2>/dev/null; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "build_deb.sh: build dependencies are missing; run as root to install them:" >&2
    dpkg-checkbuilddeps "$repo/debian/control" >&2 || true
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  (cd "$repo" && apt-get build-dep -y -q --no-install-recommends ./ >/dev/null)
fi

# A fixed place for the copy, so a second build finds its objects in the compiler cache.
src=$out/src/quillon-$version
rm -rf "$out/src"
mkdir -p "$src"
if git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$repo" && git ls-files -z --cached --others --exclude-standard | grep -zv '^build/' |
    xargs -0 cp --parents -t "$src")
else
  (cd "$repo" && tar --exclude=./build -cf - .) | tar -xf - -C "$src"
fi
rm -f "$out"/*.deb "$out"/*.buildinfo "$out"/*.changes

echo "building the packages of quillon $version in $src"
(cd "$src" && dpkg-buildpackage -us -uc -b -j"$(nproc)" >"$out/build.log" 2>&1) || {
  tail -n 40 "$out/build.log" >&2
  echo "build_deb.sh: dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
}
mv "$out"/src/*.deb "$out"/src/*.buildinfo "$out"/src/*.changes "$out"/
ls -l "$out"/*.deb
