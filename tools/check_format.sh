#!/bin/bash
# Checks that every tracked C++ file is formatted as .clang-format says.
#
#   tools/check_format.sh
#
# Prints the files clang-format would change and exits 1 when there are any, 0 when all are
# clean, 2 when clang-format is missing. $CLANG_FORMAT names another binary. Fix a file with
# `clang-format -i FILE`.
set -uo pipefail

cd "$(dirname "$0")/.." || exit 2
clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null; then
  echo "check_format: $clang_format not found (tools/packages.txt installs clang-format)" >&2
  exit 2
fi

mapfile -d '' files < <(git ls-files -z -- '*.cc' '*.h' '*.cpp' '*.hpp')
# One run over every file; each change it would make is reported as "FILE:LINE:COL: warning:
# code should be clang-formatted". Without --Werror a non-zero status means clang-format itself
# failed (a bad .clang-format, an unreadable file).
if ! out=$("$clang_format" --style=file --dry-run "${files[@]}" 2>&1); then
  printf '%s\n' "$out" | grep -v 'code should be clang-formatted' | head -n 20
  echo "check_format: clang-format failed" >&2
  exit 2
fi
mapfile -t unclean < <(printf '%s\n' "$out" |
  sed -n 's/^\(.*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)

version=$("$clang_format" --version | grep -o 'version [0-9.]*')
echo "clang-format ($version): ${#files[@]} files, ${#unclean[@]} not formatted"
if ((${#unclean[@]} > 0)); then
  printf '  %s\n' "${unclean[@]}"
  echo "fix with: clang-format -i FILE..."
  exit 1
fi
