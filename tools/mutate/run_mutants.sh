#!/usr/bin/env bash
# Mutation run over the rules of the lifetime check and the lifetime dialog.
#
# Each mutant in the list changes one exact piece of source text into a small bug. For each
# mutant in turn the script applies it, builds only the unit test programs the mutant names (in
# their own build directory), runs them through CTest, and puts the file back. A mutant is
# "caught" when a test fails, "SURVIVED" when every test passes, and "BROKEN" when it does not
# build (a fault in the list, not a test result). The score is caught / (caught + survived).
#
# Usage: tools/mutate/run_mutants.sh [-l LIST] [-b BUILD_DIR] [-j JOBS] [-c] [NAME...]
#   -l LIST       the mutant list (default tools/mutate/mutants.txt; format at its head)
#   -b BUILD_DIR  the build directory (default build/mutate; configured on first use)
#   -j JOBS       parallel build jobs (default 2)
#   -c            check only that every mutant's text is in its file once; build nothing
#   NAME...       run only these mutants
# Environment: QUILLON_MUTANT_TIMEOUT, seconds per test program (default 600). A compiler cache
# set up through CMAKE_CXX_COMPILER_LAUNCHER is taken at the first configure.
#
# Exit status: 0 when every mutant run was caught, 1 when one survived or did not build, 2 when
# the list, the build or the unmutated tests are not in order. The source files are always
# restored, also on Ctrl+C. Run it by hand, on a clean tree; it is not part of CI.

set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
list="$root/tools/mutate/mutants.txt"
build="$root/build/mutate"
jobs=2
check_only=0
timeout_s=${QUILLON_MUTANT_TIMEOUT:-600}

while getopts "l:b:j:c" opt; do
  case $opt in
    l) list=$(realpath "$OPTARG") ;;
    b) build=$(realpath -m "$OPTARG") ;;
    j) jobs=$OPTARG ;;
    c) check_only=1 ;;
    *) sed -n '/^# Usage/,/^# Environment/p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
wanted=("$@")

die() {
  echo "run_mutants: $*" >&2
  exit 2
}

# --- The list ---------------------------------------------------------------------------------
names=() files=() tests=() whys=() froms=() tos=()

# Reads the list into the arrays above. Blocks are taken verbatim, without the final newline.
parse_list() {
  local line state=top lineno=0 name="" file="" test="" why="" from="" to="" block=""
  [[ -r $list ]] || die "cannot read $list"
  while IFS= read -r line || [[ -n $line ]]; do
    lineno=$((lineno + 1))
    case $state in
      top)
        [[ -z $line || $line == \#* ]] && continue
        [[ $line == "=== "* ]] || die "$list:$lineno: expected '=== NAME'"
        name=${line#=== } file="" test="" why=""
        state="head"
        ;;
      head)
        case $line in
          "file: "*) file=${line#file: } ;;
          "tests: "*) test=${line#tests: } ;;
          "why: "*) why=${line#why: } ;;
          "--- from") state=from block="" ;;
          *) die "$list:$lineno: unexpected line in the head of '$name'" ;;
        esac
        ;;
      from | to)
        if [[ $line == "--- to" && $state == from ]]; then
          from=$block state=to block=""
        elif [[ $line == "--- end" && $state == to ]]; then
          to=$block
          [[ -n $file && -n $test && -n $from ]] || die "$list:$lineno: '$name' lacks file, tests or text"
          [[ $from != "$to" ]] || die "$list:$lineno: '$name' changes nothing"
          names+=("$name") files+=("$file") tests+=("$test") whys+=("$why") froms+=("$from") tos+=("$to")
          state=top
        elif [[ $line == "--- "* ]]; then
          die "$list:$lineno: unexpected '$line' in '$name'"
        else
          if [[ -z $block ]]; then block=$line; else block+=$'\n'"$line"; fi
        fi
        ;;
    esac
  done < "$list"
  [[ $state == top ]] || die "$list: '$name' is not closed with '--- end'"
  ((${#names[@]} > 0)) || die "$list: no mutants"
}

# --- Applying and reverting -------------------------------------------------------------------
backup=""        # copy of the file under mutation
mutated_file=""  # the file the current mutant changed, empty when none is applied

restore() {
  if [[ -n $mutated_file ]]; then
    # A plain copy gives the file a new time stamp, so the next build compiles it again.
    cp "$backup" "$mutated_file" || { echo "run_mutants: RESTORE $mutated_file FROM $backup BY HAND" >&2; return 1; }
    cmp -s "$backup" "$mutated_file" || { echo "run_mutants: RESTORE $mutated_file FROM $backup BY HAND" >&2; return 1; }
    mutated_file=""
  fi
}

cleanup() {
  restore && [[ -n $backup ]] && rm -f "$backup"
}
trap cleanup EXIT
trap 'echo; echo "run_mutants: interrupted" >&2; exit 130' INT TERM

# Checks that mutant i's original text occurs exactly once in its file, leaving the file
# untouched; on failure the reason is in apply_error. Sets content to the file's text.
apply_error=""
content=""
check_mutant() {
  local i=$1 path="$root/${files[$1]}" rest
  apply_error=""
  [[ -f $path ]] || { apply_error="file ${files[$i]} not found"; return 1; }
  IFS= read -r -d '' content < "$path"
  rest=${content#*"${froms[$i]}"}
  [[ $rest != "$content" ]] || { apply_error="original text not found in ${files[$i]}"; return 1; }
  [[ $rest != *"${froms[$i]}"* ]] ||
    { apply_error="original text found more than once in ${files[$i]}"; return 1; }
}

# Replaces the one occurrence of mutant i's text in its file, after a backup.
apply_mutant() {
  local i=$1 path="$root/${files[$1]}"
  check_mutant "$i" || return 1
  cp "$path" "$backup" || { apply_error="cannot back up ${files[$i]}"; return 1; }
  mutated_file=$path
  # Both sides quoted: taken literally, '&' and '\' included.
  printf '%s' "${content/"${froms[$i]}"/"${tos[$i]}"}" > "$path"
}

# --- Building and testing ---------------------------------------------------------------------
configure() {
  if [[ ! -f $build/build.ninja ]]; then
    mkdir -p "$build" || die "cannot make $build"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$build/configure.log" 2>&1 ||
      die "configuring $build failed (see $build/configure.log)"
  fi
}

# Builds the given test targets; the log goes to $build/mutant.log.
build_targets() {
  nice cmake --build "$build" --target "$@" -- -j"$jobs" > "$build/mutant.log" 2>&1
}

# Runs the given test programs through CTest; 0 when all pass.
run_tests() {
  local regex
  regex="^($(IFS='|'; echo "$*"))\$"
  ctest --test-dir "$build" -R "$regex" --timeout "$timeout_s" > "$build/mutant_test.log" 2>&1
}

selected() {
  local n
  ((${#wanted[@]} == 0)) && return 0
  for n in "${wanted[@]}"; do [[ $n == "$1" ]] && return 0; done
  return 1
}

parse_list
for n in "${wanted[@]}"; do
  found=0
  for m in "${names[@]}"; do [[ $m == "$n" ]] && found=1; done
  ((found)) || die "no mutant named '$n' in $list"
done
backup=$(mktemp "${TMPDIR:-/tmp}/quillon-mutant.XXXXXX") || die "no temporary file"

# Every selected mutant must apply to the code as it is now; a stale list stops the run.
all_targets=()
for i in "${!names[@]}"; do
  selected "${names[$i]}" || continue
  check_mutant "$i" || die "mutant '${names[$i]}': $apply_error"
  for t in ${tests[$i]}; do
    [[ " ${all_targets[*]} " == *" $t "* ]] || all_targets+=("$t")
  done
done
if ((check_only)); then
  echo "All selected mutants fit the code; nothing was changed or built."
  exit 0
fi

configure
echo "Building and running the unmutated tests: ${all_targets[*]}"
build_targets "${all_targets[@]}" || die "the unmutated build fails (see $build/mutant.log)"
run_tests "${all_targets[@]}" || die "the unmutated tests fail (see $build/mutant_test.log)"

caught=0 survived=0 broken=0
survivors=()
for i in "${!names[@]}"; do
  selected "${names[$i]}" || continue
  printf '%-32s ' "${names[$i]}"
  apply_mutant "$i" || die "mutant '${names[$i]}': $apply_error"
  read -r -a targets <<< "${tests[$i]}"
  if ! build_targets "${targets[@]}"; then
    result="BROKEN (does not build; see the list)"
    broken=$((broken + 1))
    survivors+=("${names[$i]} (broken)")
  elif run_tests "${targets[@]}"; then
    result="SURVIVED"
    survived=$((survived + 1))
    survivors+=("${names[$i]}")
  else
    result="caught"
    caught=$((caught + 1))
  fi
  restore || exit 2
  echo "$result  [${files[$i]}: ${whys[$i]}]"
done

total=$((caught + survived))
echo
echo "Mutation score: $caught of $total caught ($survived survived, $broken did not build)."
((${#survivors[@]} == 0)) || printf 'Not caught: %s\n' "${survivors[@]}"
((survived == 0 && broken == 0))
