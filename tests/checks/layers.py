#!/usr/bin/env python3
"""Fails when a source under src/ includes a header of a layer above its own, when a library
links one above it, or when a folder of src/ is missing from the table below.

The layers, bottom up. A folder may include its own headers and those of lower layers; folders
of one layer do not include each other (the window kinds stand side by side)."""
import os
import re
import sys

LAYERS = [
    ["platform", "Core/Base", "opencv"],
    ["Core/Data", "opencv/plugin"],
    ["analysis"],
    ["Core/Logic"],
    ["workspace", "upload", "video/tracking"],
    ["app/base"],
    ["setup", "graph", "table", "video", "analysis_dialogs", "upload_dialogs"],
    ["app/shell"],
    ["app"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
COMPONENT = re.compile(r'korvanta_component\(\s*(\w+)\s+LIBS\s+([^)]*)\)', re.S)


def folder_of(path):
    """The table's folder holding path (relative to src), or None."""
    d = os.path.dirname(path)
    while d and d not in RANK:
        d = os.path.dirname(d)
    return d if d in RANK else None


def main(src):
    problems = []
    sources = []
    for root, _, files in os.walk(src):
        rel = os.path.relpath(root, src)
        if any(f.endswith((".h", ".cpp")) for f in files) and rel not in RANK:
            problems.append(f"{rel}: folder has no layer (add it to {os.path.basename(__file__)})")
        sources += [os.path.relpath(os.path.join(root, f), src) for f in files if f.endswith((".h", ".cpp"))]

    for path in sorted(sources):
        own = folder_of(path)
        if own is None:
            continue
        with open(os.path.join(src, path), errors="replace") as f:
            for n, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1)
                if not os.path.exists(os.path.join(src, target)):
                    continue  # a header of the same folder, or one the build generates
                other = folder_of(target)
                if other is None or other == own:
                    continue
                if RANK[other] >= RANK[own]:
                    problems.append(f"src/{path}:{n}: {own} includes {target} ({other} is not below it)")

    # Libraries: the folder of each korvanta_component, and what it links.
    lib_folder = {}
    links = {}
    for root, _, files in os.walk(src):
        if "CMakeLists.txt" not in files:
            continue
        text = open(os.path.join(root, "CMakeLists.txt")).read()
        rel = os.path.relpath(root, src)
        if "LINK_INTERFACE_MULTIPLICITY" in text:
            problems.append(f"src/{rel}/CMakeLists.txt: LINK_INTERFACE_MULTIPLICITY holds a link cycle together")
        for name, libs in COMPONENT.findall(text):
            lib_folder[name] = rel
            links[name] = libs.split()
        for name, libs in re.findall(r'target_link_libraries\(\s*(\w+)\s+\w+\s+([^)]*)\)', text):
            links.setdefault(name, []).extend(libs.split())
    for name, libs in sorted(links.items()):
        own = lib_folder.get(name)
        if own not in RANK:
            continue
        for lib in libs:
            other = lib_folder.get(lib)
            if other in RANK and other != own and RANK[other] >= RANK[own]:
                problems.append(f"{name} ({own}) links {lib} ({other} is not below it)")

    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layering problem(s)")
        return 1
    print(f"layers hold: {len(sources)} sources checked")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../src")))
