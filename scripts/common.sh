# Shared settings of the build scripts (sourced, not run).
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${JOBS:-$(nproc)}"
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/korvanta-ccache}"
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
# Let a fresh clone in another folder reuse what an earlier build compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"
export CCACHE_NOHASHDIR=1
# The tests compile against precompiled headers, which ccache caches only with these relaxed.
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-pch_defines,time_macros}"
LAUNCHER=()
if command -v ccache >/dev/null 2>&1; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# configure DIR [cmake args...]
configure() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "${LAUNCHER[@]}" "$@" >/dev/null
  # Ninja's automoc step only notices headers it already knew as moc inputs, so a header that
  # gained Q_OBJECT in a pull would be missed. Let every target rescan; moc itself only reruns
  # for headers that changed.
  find "$ROOT/$dir" -path '*_autogen/timestamp' -delete 2>/dev/null || true
}
