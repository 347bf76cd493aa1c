#!/usr/bin/env bash
# Builds and runs every benchmark of bench/ and prints their figures.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$ROOT/build" -j "$JOBS"
export QT_QPA_PLATFORM=offscreen
for b in "$ROOT"/build/bench/bench_*; do
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
