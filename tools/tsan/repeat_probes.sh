#!/usr/bin/env bash
# Runs every probe of build-tsan/ (or those matching REGEX) RUNS times, JOBS at once and
# niced, each run judged as ctest judges it, and prints per probe how many runs failed: a probe
# that passes once is not yet one that reports every time on a loaded machine.
#   tools/tsan/repeat_probes.sh [RUNS [REGEX]]     (JOBS=3 by default)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
RUNS="${1:-1000}"
REGEX="${2:-.}"
JOBS="${JOBS:-3}"
DIR="$ROOT/build-tsan/tools/tsan"
LOG="$(mktemp -d)"
trap 'rm -rf "$LOG"' EXIT

# The probes' command lines, as ctest has them.
(cd "$DIR" && ctest --show-only=json-v1) | python3 -c '
import json, re, shlex, sys
for t in json.load(sys.stdin)["tests"]:
    if re.search(sys.argv[1], t["name"]):
        print(t["name"], shlex.join(t["command"]))
' "$REGEX" >"$LOG/commands"

export LOG
while read -r name command; do
  for ((i = 1; i <= RUNS; i++)); do printf '%s %d %s\n' "$name" "$i" "$command"; done
done <"$LOG/commands" | shuf | nice xargs -P "$JOBS" -L 1 bash -c '
  name=$0 run=$1; shift
  if "$@" >"$LOG/$name.$run" 2>&1; then rm -f "$LOG/$name.$run"; else echo "$name" >>"$LOG/failed"; fi'

status=0
while read -r name command; do
  failed=$(grep -cx "$name" "$LOG/failed" 2>/dev/null || true)
  echo "$name: ${failed:-0} of $RUNS runs failed"
  if [ "${failed:-0}" -gt 0 ]; then
    status=1
    first=$(ls "$LOG/$name".* | head -n 1)
    grep -A 2 'CMake Error' "$first" || tail -n 5 "$first"
  fi
done <"$LOG/commands"
exit "$status"
