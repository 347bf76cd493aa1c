#!/usr/bin/env bash
# The README's pictures, or with --guide the user guide's: starts an X server of the given size
# (Xvfb), runs korvanta through a short lesson against the simulated logger (tools/lesson) and
# writes the PNGs into OUT_DIR.
#
#   tools/screenshots.sh [OUT_DIR [WIDTHxHEIGHT]]           (docs/images and 1600x1000 by default)
#   tools/screenshots.sh --guide [OUT_DIR [WIDTHxHEIGHT]]   (help/en and 1280x800 by default)
#
# Works on the build in ./build that scripts/run.sh makes: the lesson program is built there
# first (JOBS=N limits the compile jobs, as for the other scripts). Fails when a picture the
# README or the guide shows was not taken by this run: a picture the lesson does not take would
# go on showing an older program.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
root="$ROOT"
mode=()
out_default="$root/docs/images"
size_default=1600x1000
# The page that shows the pictures, and how it names them.
page="$root/README.md"
shown() { grep -Eo 'docs/images/[A-Za-z0-9_.-]+\.png' "$page" | sed 's|^docs/images/||'; }
if [ "${1:-}" = "--guide" ]; then
  shift
  mode=(--guide)
  out_default="$root/help/en"
  size_default=1280x800
  page="$root/help/en/index.html"
  shown() { grep -Eo '<img [^>]*src="[^"]+\.png"' "$page" | sed -E 's|.*src="([^"]+)"|\1|'; }
fi
out="${1:-$out_default}"
size="${2:-$size_default}"
lesson="$root/build/tools/lesson/korvanta-lesson"
if [ ! -f "$root/build/build.ninja" ]; then
  echo "screenshots: no build in $root/build yet: run ./scripts/run.sh first" >&2
  exit 1
fi
cmake --build "$root/build" --target korvanta-lesson -j "$JOBS"
mkdir -p "$out"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/runtime"
# A fresh home: no settings of an earlier session change the pictures.
touch "$home/start"
HOME="$home" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb QT_XCB_GL_INTEGRATION=none \
  xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" "$lesson" "${mode[@]}" "$out"
stale=0
while IFS= read -r picture; do
  if [ ! "$out/$picture" -nt "$home/start" ]; then
    echo "screenshots: $(basename "$page") shows $picture, which the lesson did not take" >&2
    stale=1
  fi
done < <(shown | sort -u)
exit "$stale"
