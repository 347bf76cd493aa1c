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
  # Ninja reruns a target's automoc step when a file it read last time changed (a header that
  # gained Q_OBJECT), but not when configure changed what it is to read (a header that arrived
  # in a pull, other options). Then, and only then, its stamp goes so that it rescans: the
  # generated form headers hang on the stamp, and every file including one would compile again.
  # (The list of CMake's own files in the settings differs after the very first configure.)
  local info stamp seen
  while IFS= read -r info; do
    stamp="${info%/CMakeFiles/*}/$(basename "$(dirname "$info")" .dir)/timestamp"
    seen="${info%.json}.seen"
    awk '/"CMAKE_LIST_FILES"/ { skip = 1 } !skip { print } skip && /\]/ { skip = 0 }' "$info" >"$seen.new"
    cmp -s "$seen.new" "$seen" || rm -f "$stamp"
    mv -f "$seen.new" "$seen"
  done < <(find "$ROOT/$dir" -path '*/CMakeFiles/*_autogen.dir/AutogenInfo.json' 2>/dev/null)
}
