#!/usr/bin/env bash
# Installs what is missing, builds Korvanta and its logger simulator (release with debug info)
# and starts Korvanta; arguments go to korvanta. JOBS=N limits the parallel compile jobs.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$ROOT/build" --target korvanta korvanta-sim -j "$JOBS"
exec "$ROOT/build/bin/korvanta" "$@"
