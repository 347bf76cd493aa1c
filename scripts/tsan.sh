#!/usr/bin/env bash
# Builds every test folder whose code starts a thread or is called from one (loggers, data
# store, serial ports, simulator, setup, shell, graph, table, meters, upload, video, workspace,
# analysis) with ThreadSanitizer (clang) and runs them with the Qt lock annotations preloaded,
# plus the probes that show the annotations and suppressions leave our races reported. Kept
# out of test.sh (a third full build would push CI past its time): run it before every stop
# that touches threaded code (README). Exits non-zero on any report or failure.
#   ./scripts/tsan.sh            build and run
#   TSAN_TESTS=regex ./scripts/tsan.sh   only the matching tests
#   TSAN_JOBS=4 ./scripts/tsan.sh        tests run at once (default: the number of cores)
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ROOT"
"$ROOT/scripts/install-deps.sh"

DIRS=(tests/Core/Logic tests/Core/Data tests/platform tests/tools tests/setup tests/app tests/graph tests/table
      tests/meters tests/upload tests/upload_dialogs tests/video tests/workspace tests/analysis
      tests/analysis_dialogs tools/tsan)
configure build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DKORVANTA_TSAN=ON -DKORVANTA_BENCH=OFF -DKORVANTA_WERROR=ON
targets=()
for d in "${DIRS[@]}"; do targets+=("$d/all"); done
cmake --build build-tsan -j "$JOBS" --target "${targets[@]}"

export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="*.debug=false"
PRELOAD="$ROOT/build-tsan/tools/tsan/libkv_tsan_qt.so"
export TSAN_OPTIONS="suppressions=$ROOT/scripts/tsan.supp:halt_on_error=0:exitcode=66:second_deadlock_stack=1:report_signal_unsafe=0:history_size=4"
status=0
for d in "${DIRS[@]}"; do
  echo "== tsan: $d"
  # The probe tests set their own preload; the others get it here.
  # The program's link check is no thread test (and needs the program itself).
  (cd "build-tsan/$d" && LD_PRELOAD="$PRELOAD" ctest --output-on-failure -j "${TSAN_JOBS:-$JOBS}" --timeout 900 -LE xvfb \
     -E startup_links ${TSAN_TESTS:+-R "$TSAN_TESTS"}) || status=1
done
[ "$status" -eq 0 ] && echo "tsan: no race reported" || echo "tsan: FAILED"
exit "$status"
