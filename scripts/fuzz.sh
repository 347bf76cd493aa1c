#!/usr/bin/env bash
# Runs one fuzz target for a while: ./scripts/fuzz.sh NAME SECONDS
set -euo pipefail
source "$(dirname "$0")/common.sh"
NAME="${1:?usage: fuzz.sh NAME SECONDS}"
SECONDS_TO_RUN="${2:-60}"
"$ROOT/scripts/install-deps.sh"
configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DKORVANTA_FUZZ=ON
cmake --build "$ROOT/build-fuzz" --target "fuzz_$NAME" -j "$JOBS"
mkdir -p "$ROOT/fuzz/corpus/$NAME"
export QT_QPA_PLATFORM=offscreen
exec "$ROOT/build-fuzz/fuzz/fuzz_$NAME" -max_total_time="$SECONDS_TO_RUN" -timeout=10 \
  -artifact_prefix="$ROOT/fuzz/corpus/$NAME/" "$ROOT/fuzz/corpus/$NAME"
