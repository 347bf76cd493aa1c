#!/usr/bin/env bash
# Runs the fuzz targets of fuzz/ for a while.
#   ./scripts/fuzz.sh SECONDS          every target at once, one process each
#   ./scripts/fuzz.sh NAME [SECONDS]   one target
# New inputs that add coverage are kept in a work corpus under build-fuzz/corpus/NAME (seeded
# from fuzz/corpus/NAME); a crash, hang or leak leaves its input in fuzz/corpus/NAME/. Each
# target's log is build-fuzz/logs/NAME.log; a summary of executions and coverage per target is
# printed at the end. NICE=19 runs them at the lowest priority. Exits non-zero when any target
# found a fault.
set -euo pipefail
source "$(dirname "$0")/common.sh"
if [ $# -eq 0 ]; then
  echo "usage: fuzz.sh SECONDS | fuzz.sh NAME [SECONDS]" >&2; exit 2
fi
if [[ "$1" =~ ^[0-9]+$ ]]; then
  SECONDS_TO_RUN="$1"; NAMES=()
else
  NAMES=("$1"); SECONDS_TO_RUN="${2:-60}"
fi
"$ROOT/scripts/install-deps.sh"
configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DKORVANTA_FUZZ=ON \
  -DKORVANTA_BENCH=OFF
if [ ${#NAMES[@]} -eq 0 ]; then
  for f in "$ROOT"/fuzz/fuzz_*.cpp; do n=$(basename "$f" .cpp); NAMES+=("${n#fuzz_}"); done
fi
TARGETS=()
for n in "${NAMES[@]}"; do TARGETS+=("fuzz_$n"); done
cmake --build "$ROOT/build-fuzz" --target "${TARGETS[@]}" -j "$JOBS"

export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="*.debug=false;*.warning=false"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
LOGS="$ROOT/build-fuzz/logs"
mkdir -p "$LOGS"
# The longest input worth trying per target: a longer one only repeats what shorter ones reach
# at a higher cost per execution (formats whose records are short get a short limit).
max_len() {
  case "$1" in
    formula) echo 320 ;;
    extra_ports|window_records) echo 512 ;;
    pelorin_rx|dravlet_rx|pelorin_handler|dravlet_handler|received_values) echo 1024 ;;
    settings_file|notes_record) echo 2048 ;;
    *) echo 4096 ;;
  esac
}
pids=()
for n in "${NAMES[@]}"; do
  work="$ROOT/build-fuzz/corpus/$n"
  mkdir -p "$work" "$ROOT/fuzz/corpus/$n"
  nice -n "${NICE:-0}" "$ROOT/build-fuzz/fuzz/fuzz_$n" -max_total_time="$SECONDS_TO_RUN" -timeout=10 \
    -max_len="$(max_len "$n")" -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$ROOT/fuzz/corpus/$n/crash-" \
    "$work" "$ROOT/fuzz/corpus/$n" >"$LOGS/$n.log" 2>&1 &
  pids+=($!)
done
status=0
for i in "${!pids[@]}"; do
  rc=0; wait "${pids[$i]}" || rc=$?
  n=${NAMES[$i]}
  runs=$(grep -Eo 'stat::number_of_executed_units: [0-9]+' "$LOGS/$n.log" | grep -Eo '[0-9]+$' || echo "?")
  cov=$(grep -Eo '(DONE|#[0-9]+) +[A-Z]* +cov: [0-9]+ ft: [0-9]+' "$LOGS/$n.log" | tail -n 1 | grep -Eo 'cov: [0-9]+ ft: [0-9]+' || echo "?")
  if [ "$rc" -eq 0 ]; then verdict=ok; else verdict="FAULT (exit $rc, see $LOGS/$n.log)"; status=1; fi
  printf '%-20s %s s  executions %s  %s  %s\n' "$n" "$SECONDS_TO_RUN" "$runs" "$cov" "$verdict"
done
exit "$status"
