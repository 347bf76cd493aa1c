#!/usr/bin/env bash
# Installs what is missing, builds Korvanta (release with debug info) and starts it.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$ROOT/build" --target korvanta -j "$JOBS"
exec "$ROOT/build/bin/korvanta" "$@"
