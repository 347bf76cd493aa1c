#!/usr/bin/env bash
# The build scripts' configure step on a small project made like ours (automoc, a form, headers
# found by a glob): configuring again builds nothing, and a header that arrives later with
# Q_OBJECT is still given to moc.
set -euo pipefail
source "$1/scripts/common.sh"
ROOT="$(mktemp -d)"
trap 'rm -rf "$ROOT"' EXIT
cat >"$ROOT/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.16)
project(probe CXX)
set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTOUIC ON)
find_package(Qt5 COMPONENTS Widgets REQUIRED)
file(GLOB src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*.cpp ${CMAKE_SOURCE_DIR}/*.h ${CMAKE_SOURCE_DIR}/*.ui)
add_library(probe STATIC ${src})
target_link_libraries(probe Qt5::Widgets)
EOF
printf '#include "ui_Form.h"\nint form() { return 1; }\n' >"$ROOT/Form.cpp"
printf '<ui version="4.0"><class>Form</class><widget class="QWidget" name="Form"/></ui>\n' >"$ROOT/Form.ui"

configure b
ninja -C "$ROOT/b" >/dev/null
configure b
out="$(ninja -C "$ROOT/b")"
grep -q "no work to do" <<<"$out" || { echo "a second configure and build did work:"; echo "$out"; exit 1; }

printf '#include <QObject>\nclass Late : public QObject\n{\n    Q_OBJECT\n};\n' >"$ROOT/Late.h"
configure b
ninja -C "$ROOT/b" >/dev/null
grep -q "moc_Late.cpp" "$ROOT/b/probe_autogen/mocs_compilation.cpp" || { echo "the new header was not given to moc"; exit 1; }
