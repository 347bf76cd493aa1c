#!/usr/bin/env bash
# Installs what is missing, builds Korvanta and its logger simulator (release with debug info)
# and starts Korvanta; arguments go to korvanta. JOBS=N limits the parallel compile jobs.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$ROOT/scripts/install-deps.sh"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$ROOT/build" --target korvanta korvanta-sim -j "$JOBS"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: korvanta needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set (use a desktop session, ssh -X or xvfb-run -a $0)" >&2
  exit 1
fi
exec "$ROOT/build/bin/korvanta" "$@"
