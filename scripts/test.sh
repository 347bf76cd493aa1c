#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the normal build, then the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer, then a short smoke of each
# fuzz target. Exits non-zero on any failure.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ROOT"
"$ROOT/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="*.debug=false"
FUZZ_SECONDS="${FUZZ_SECONDS:-8}"
passed=0
failed=0
LOGDIR="$(mktemp -d)"
trap 'rm -rf "$LOGDIR"' EXIT

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

run_ctest() {  # run_ctest BUILD_DIR NAME
  local dir="$1" name="$2" rc=0
  echo "== $name: running tests"
  (cd "$dir" && ctest --output-on-failure -j "$JOBS" --timeout 600 -LE xvfb) 2>&1 | tee "$LOGDIR/$name.log" || rc=$?
  count_ctest "$LOGDIR/$name.log"
  if [ "$rc" -ne 0 ] && ! grep -q 'tests failed out of' "$LOGDIR/$name.log"; then
    failed=$((failed + 1))
  fi
  # Tests that need a real X server (label "xvfb") run one at a time under Xvfb.
  if (cd "$dir" && ctest -N -L xvfb | grep -q 'Total Tests: [1-9]'); then
    local xrc=0
    # No OpenGL under Xvfb: nothing draws with it, and Mesa keeps allocations LeakSanitizer reports.
    (cd "$dir" && QT_QPA_PLATFORM=xcb QT_XCB_GL_INTEGRATION=none xvfb-run -a -s "-screen 0 1600x1000x24" \
        ctest --output-on-failure --timeout 600 -L xvfb) 2>&1 | tee "$LOGDIR/$name-xvfb.log" || xrc=$?
    count_ctest "$LOGDIR/$name-xvfb.log"
    [ "$xrc" -eq 0 ] || rc=$xrc
  fi
  return "$rc"
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
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANTA_WERROR=ON
cmake --build build -j "$JOBS"
run_ctest build/ main || status=1

echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer (clang, with the fuzz targets)"
configure build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DKORVANTA_SANITIZE=ON -DKORVANTA_FUZZ=ON -DKORVANTA_BENCH=OFF \
  -DKORVANTA_WERROR=ON
cmake --build build-asan -j "$JOBS"
# Allocation stacks come from the frame-pointer walk: the exact one through Debian's libraries made
# every allocation about twice as slow, and the leak suppressions match as well with it.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
run_ctest build-asan/ asan || status=1

echo "== fuzz smoke (${FUZZ_SECONDS}s each, $JOBS at a time)"
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
  name=${name#fuzz_}
  while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do wait -n || true; done
  fuzz_smoke "$f" "$name" &
  fuzz_names+=("$name")
done
wait
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

echo "summary: $passed passed, $failed failed"
exit "$status"
