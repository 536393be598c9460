#!/bin/bash
# Runs clang-tidy with the repository's .clang-tidy on the C++ files changed since BASE.
#
#   tools/run_clang_tidy.sh [BASE]     # BASE: a commit; default below
#   tools/run_clang_tidy.sh --all      # every file of the build (about ten minutes on 2 idle cores)
#
# Without BASE: the merge-base with main on a branch; HEAD~1 on main itself (the last commit or
# merge) or where there is no main. Changed means committed since BASE or changed in the work
# tree. A changed header brings in the .cc file beside it. Files the build does not compile are
# skipped. Uses the compile commands of the default preset (build/default/compile_commands.json;
# $TIDY_BUILD_DIR names another build directory), $CLANG_TIDY as the binary and $TIDY_JOBS files
# at a time (default 2).
# Exit 0 when clang-tidy reports nothing, 1 when it does, 2 when it cannot run.
set -uo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
cd "$REPO" || exit 2
clang_tidy=${CLANG_TIDY:-clang-tidy}
build_dir=${TIDY_BUILD_DIR:-build/default}
db=$build_dir/compile_commands.json

if ! command -v "$clang_tidy" >/dev/null; then
  echo "run_clang_tidy: $clang_tidy not found (tools/packages.txt installs clang-tidy)" >&2
  exit 2
fi
if [[ ! -f $db ]]; then
  echo "run_clang_tidy: no $db; configure and build first (cmake --preset default)" >&2
  exit 2
fi

# The sources the build compiles, from the lines `"file": "/abs/path"` of the database.
mapfile -t compiled < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$db" | sort -u)

if [[ ${1:-} == --all ]]; then
  mapfile -t candidates < <(git ls-files -- '*.cc')
else
  base=${1:-}
  if [[ -z $base ]]; then
    # On main itself (or a checkout of its tip) the merge-base is HEAD: then the last commit.
    base=$(git merge-base HEAD main 2>/dev/null)
    if [[ -z $base || $base == $(git rev-parse HEAD) ]]; then base=HEAD~1; fi
  fi
  if ! git rev-parse -q --verify "$base^{commit}" >/dev/null; then
    echo "run_clang_tidy: no commit $base" >&2
    exit 2
  fi
  mapfile -t changed < <(git diff --name-only --diff-filter=d "$base" -- '*.cc' '*.h')
  candidates=()
  for f in "${changed[@]}"; do
    case $f in
      *.cc) candidates+=("$f") ;;
      *.h) [[ -f ${f%.h}.cc ]] && candidates+=("${f%.h}.cc") ;;
    esac
  done
  echo "clang-tidy: files changed since $(git rev-parse --short "$base")"
fi

files=()
for f in $(printf '%s\n' "${candidates[@]}" | sort -u); do
  if printf '%s\n' "${compiled[@]}" | grep -qxF "$REPO/$f"; then files+=("$f"); fi
done
if ((${#files[@]} == 0)); then
  echo "clang-tidy: no compiled C++ file changed; nothing to check"
  exit 0
fi
echo "clang-tidy ($("$clang_tidy" --version | grep -o 'version [0-9.]*')): ${#files[@]} files"

# Findings in the project's own headers count too (not in build/, which holds generated code).
header_filter="^$REPO/(platform|common|service|gui|setup|launcher|tools|tests)/"
printf '%s\0' "${files[@]}" |
  xargs -0 -n 1 -P "${TIDY_JOBS:-2}" "$clang_tidy" -p "$build_dir" --quiet \
    --header-filter="$header_filter" \
    2> >(grep -v -E '^[0-9]+ warnings? (generated|treated as errors)\.$' >&2)
status=$?
if ((status != 0)); then
  echo "clang-tidy: findings above (the checks are in .clang-tidy)"
  exit 1
fi
echo "clang-tidy: clean"
