#!/usr/bin/env bash
# The README's pictures, or with --guide the user guide's: starts an X server of the given size
# (Xvfb), runs korvanta through a short lesson against the simulated logger (tools/lesson) and
# writes the PNGs into OUT_DIR.
#
#   tools/screenshots.sh [OUT_DIR [WIDTHxHEIGHT]]           (docs/images and 1600x1000 by default)
#   tools/screenshots.sh --guide [OUT_DIR [WIDTHxHEIGHT]]   (help/en and 1280x800 by default)
#
# Needs a build in ./build (scripts/run.sh or cmake --build build).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode=()
out_default="$root/docs/images"
size_default=1600x1000
if [ "${1:-}" = "--guide" ]; then
  shift
  mode=(--guide)
  out_default="$root/help/en"
  size_default=1280x800
fi
out="${1:-$out_default}"
size="${2:-$size_default}"
lesson="$root/build/tools/lesson/korvanta-lesson"
if [ ! -x "$lesson" ]; then
  echo "screenshots: build first ($lesson is missing)" >&2
  exit 1
fi
mkdir -p "$out"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/runtime"
# A fresh home: no settings of an earlier session change the pictures.
HOME="$home" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=xcb QT_XCB_GL_INTEGRATION=none \
  xvfb-run -a -s "-screen 0 ${size}x24 -nolisten tcp" "$lesson" "${mode[@]}" "$out"
