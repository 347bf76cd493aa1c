#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the normal build, then the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer, then a short smoke of each
# fuzz target. Exits non-zero on any failure. Most tests wait on real time (a simulated logger's
# rate, a timeout) more than they compute, so each build's tests run beside work that computes:
# the normal build's beside the sanitizer build, the sanitizer build's beside the fuzz smoke.
# Each phase's output comes in order all the same, and the time of each is printed at the end.
#   JOBS=N        compile jobs and fuzz targets at once (default: the number of cores)
#   TEST_JOBS=N   tests at once (default: twice JOBS)
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ROOT"
"$ROOT/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="*.debug=false"
FUZZ_SECONDS="${FUZZ_SECONDS:-8}"
TEST_JOBS="${TEST_JOBS:-$((JOBS * 2))}"
passed=0
failed=0
LOGDIR="$(mktemp -d)"
# Stopped early (a failed build, an interrupt), the script takes down what it started beside.
trap 'jobs -p | xargs -r kill 2>/dev/null || true; rm -rf "$LOGDIR"' EXIT

count_ctest() {  # adds a ctest log's totals to passed/failed
  local line total nfail
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -n 1 || true)
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
  nfail=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  [ -n "$total" ] || total=0
  [ -n "$nfail" ] || nfail=0
  passed=$((passed + total - nfail))
  failed=$((failed + nfail))
}

# timed LABEL COMMAND...: runs COMMAND and keeps its wall and processor time (user and system,
# its children's included) for the table at the end (print_times names the labels). It runs in a subshell of its own, whose
# children are its own: what runs beside it is not counted in.
timed() {
  local label="$1"
  shift
  (
    TIMEFORMAT="%R %U %S"
    rc=0
    { time "$@" 2>&3 3>&- || rc=$?; } 3>&2 2>"$LOGDIR/time-$label"
    exit "$rc"
  )
}

print_times() {
  local label wall user sys
  echo "timing (seconds)      wall  processor (user+system)"
  for label in build tests build-asan tests-asan fuzz; do
    read -r wall user sys <"$LOGDIR/time-$label" 2>/dev/null || continue
    awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" 'BEGIN { printf "  %-18s %7.0f %7.0f\n", l, w, u + s }'
  done
}

# run_tests BUILD_DIR NAME: the build's tests, quietly into NAME.log and NAME-xvfb.log; the
# exit codes go to NAME.rc and NAME-xvfb.rc. Tests that need a real X server (label "xvfb") run
# one at a time under Xvfb, beside the others.
run_tests() {
  local dir="$1" name="$2" rc=0 xrc=0 xpid=""
  if (cd "$dir" && ctest -N -L xvfb | grep -q 'Total Tests: [1-9]'); then
    # No OpenGL under Xvfb: nothing draws with it, and Mesa keeps allocations LeakSanitizer reports.
    (cd "$dir" && QT_QPA_PLATFORM=xcb QT_XCB_GL_INTEGRATION=none xvfb-run -a -s "-screen 0 1600x1000x24" \
        ctest --output-on-failure --timeout 600 -L xvfb) >"$LOGDIR/$name-xvfb.log" 2>&1 &
    xpid=$!
  fi
  (cd "$dir" && ctest --output-on-failure -j "$TEST_JOBS" --timeout 600 -LE xvfb) >"$LOGDIR/$name.log" 2>&1 || rc=$?
  echo "$rc" >"$LOGDIR/$name.rc"
  if [ -n "$xpid" ]; then
    wait "$xpid" || xrc=$?
    echo "$xrc" >"$LOGDIR/$name-xvfb.rc"
  fi
}

# report_tests NAME: prints what run_tests NAME kept and counts it; non-zero on a failure.
report_tests() {
  local name="$1" log status=0
  echo "== $name: tests"
  for log in "$name" "$name-xvfb"; do
    [ -f "$LOGDIR/$log.rc" ] || continue
    cat "$LOGDIR/$log.log"
    count_ctest "$LOGDIR/$log.log"
    if [ "$(cat "$LOGDIR/$log.rc")" != 0 ]; then
      status=1
      grep -q 'tests failed out of' "$LOGDIR/$log.log" || failed=$((failed + 1))
    fi
  done
  return "$status"
}

# What git sees of the source tree; the build folders this script makes are left out.
tree_state() {
  git -C "$ROOT" status --porcelain --untracked-files=all -- . ':!build' ':!build-asan' 2>/dev/null
}
in_git=0
git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1 && in_git=1
tree_before="$(tree_state)"
[ "$in_git" -eq 0 ] || [ -z "$tree_before" ] || echo "note: the tree has changes before the tests; only new ones count"

status=0

echo "== build (RelWithDebInfo)"
# Both builds keep line tables, all that a stack trace or a sanitizer's report reads; the rest of
# the debug information costs compile and link time that no check needs.
build_main() {
  configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DKORVANTA_WERROR=ON &&
  cmake --build build -j "$JOBS"
}
timed build build_main

# The normal build's tests run while the sanitizer build compiles.
timed tests run_tests build/ main &
tests_pid=$!

echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer (clang, with the fuzz targets)"
build_asan() {
  configure build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" -DKORVANTA_SANITIZE=ON -DKORVANTA_FUZZ=ON -DKORVANTA_BENCH=OFF \
    -DKORVANTA_WERROR=ON &&
  cmake --build build-asan -j "$JOBS"
}
asan_built=0
timed build-asan build_asan && asan_built=1
wait "$tests_pid" || true
report_tests main || status=1
if [ "$asan_built" -ne 1 ]; then
  echo "== the sanitizer build failed"
  print_times
  exit 1
fi

# Allocation stacks come from the frame-pointer walk: the exact one through Debian's libraries made
# every allocation about twice as slow, and the leak suppressions match as well with it.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The sanitizer tests start longest first, by the normal tests' times.
if [ -f build/Testing/Temporary/CTestCostData.txt ] && [ ! -f build-asan/Testing/Temporary/CTestCostData.txt ]; then
  mkdir -p build-asan/Testing/Temporary
  cp build/Testing/Temporary/CTestCostData.txt build-asan/Testing/Temporary/
fi
timed tests-asan run_tests build-asan/ asan &
tests_pid=$!

fuzz_smoke() {  # fuzz_smoke TARGET NAME: runs one target, leaves its exit code in NAME.rc
  local work rc=0
  work=$(mktemp -d -p "$LOGDIR")
  [ -d "fuzz/corpus/$2" ] && cp -r "fuzz/corpus/$2/." "$work/"
  "$1" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
    -artifact_prefix="$LOGDIR/$2-" "$work" >"$LOGDIR/fuzz-$2.log" 2>&1 || rc=$?
  echo "$rc" >"$LOGDIR/fuzz-$2.rc"
}
fuzz_names=()
for f in build-asan/fuzz/fuzz_*; do
  [ -f "$f" ] && [ -x "$f" ] || continue
  name=$(basename "$f")
  fuzz_names+=("${name#fuzz_}")
done
fuzz_all() {  # JOBS targets at a time; each runs as long as the others, so the oldest ends first
  local name pids=()
  for name in ${fuzz_names[@]+"${fuzz_names[@]}"}; do
    while [ "${#pids[@]}" -ge "$JOBS" ]; do
      wait "${pids[0]}" || true
      pids=("${pids[@]:1}")
    done
    fuzz_smoke "build-asan/fuzz/fuzz_$name" "$name" &
    pids+=($!)
  done
  for name in ${pids[@]+"${pids[@]}"}; do wait "$name" || true; done
}
timed fuzz fuzz_all
wait "$tests_pid" || true
report_tests asan || status=1

echo "== fuzz smoke (${FUZZ_SECONDS}s each, $JOBS at a time, beside the sanitizer tests)"
for name in ${fuzz_names[@]+"${fuzz_names[@]}"}; do
  if [ "$(cat "$LOGDIR/fuzz-$name.rc" 2>/dev/null)" = 0 ]; then
    echo "fuzz $name: ok ($(grep -Eo 'DONE +cov: [0-9]+' "$LOGDIR/fuzz-$name.log" | tail -n1))"
    passed=$((passed + 1))
  else
    echo "fuzz $name: FAILED"; tail -n 40 "$LOGDIR/fuzz-$name.log"
    failed=$((failed + 1)); status=1
  fi
done

# Tests write into temporary folders only: whatever they leave in the tree is a failure.
if [ "$in_git" -eq 1 ]; then
  tree_after="$(tree_state)"
  if [ "$tree_after" = "$tree_before" ]; then
    echo "tree: clean after the tests"
    passed=$((passed + 1))
  else
    echo "tree: the tests left these in the source tree:"
    diff <(printf '%s\n' "$tree_before") <(printf '%s\n' "$tree_after") | sed -n 's/^> /  /p'
    failed=$((failed + 1)); status=1
  fi
else
  echo "tree: not a git checkout, not checked"
fi

print_times
echo "summary: $passed passed, $failed failed"
exit "$status"
