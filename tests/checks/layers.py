#!/usr/bin/env python3
"""Fails when the code under src/ does not go one way down its layers:
- a source includes a header of a layer above its own;
- a forward declaration names a class that a layer above defines;
- a library or the program links a layer above it, directly or through an interface library
  (korvanta_core);
- a library links one whose headers none of its files include (what it needs beyond that comes
  through the libraries it does include);
- a folder of src/ is missing from the table below;
- within a folder split into rooms, a logger's room (or the transport the loggers share)
  includes another logger's room;
- a room includes the header of the object that stands above the rooms (the logic manager):
  the rooms reach it through the interface it implements for them;
- a file outside a room includes one of its headers other than its face (a logger's room is
  reached through its face alone, the detection through its manager's header).
- a line outside the loggers' rooms decides on the logger's model: it compares with a model or
  its type number, or has a case for a model (the rest of the program asks the logger's face;
  the conversion of stored data asks the base layer's table of stored types, the one place
  allowed to name them).

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
    ["workspace", "upload", "tracking"],
    ["windowbase"],
    ["setup", "graph", "table", "video", "analysis_dialogs", "upload_dialogs"],
    ["app/shell"],
    ["app"],
]
RANK = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
# Folders whose concerns live in rooms (sub-folders of the same library): the transport every
# logger shares, one room per logger model, and rooms of their own.
ROOMS = {
    "Core/Logic": {"transport": "Transport", "loggers": ["Pelorin", "Dravlet"], "others": ["Detection"],
                   # The one header of each room that files outside it may include (the shared
                   # transport has none: any of its headers may be used).
                   "faces": {"Pelorin": "PelorinFace.h", "Dravlet": "DravletFace.h",
                             "Detection": "DeviceDetectionManager.h"},
                   # Headers of the folder that no room may include: the logic manager and the
                   # registry that lists the loggers' rooms.
                   "above": ["LogicManager.h", "LoggerKinds.h"]},
}
ROOM_FOLDERS = {f"{folder}/{room}": folder
                for folder, rooms in ROOMS.items()
                for room in [rooms["transport"], *rooms["loggers"], *rooms["others"]]}
# Files outside the loggers' rooms that may name models in comparisons: the base layer's table
# of the models and stored types.
MODEL_TABLES = {"Core/Base/LoggerModel.h"}
_MODEL = r'(?:12\.0|70\.0|14\.0|k(?:Dravlet|Pelorin)Type|(?:\w+\()?LoggerModel::\w+\)?)'
MODEL_BRANCH = re.compile(r'(?:==|!=)\s*' + _MODEL + r'(?![\w.])|(?<![\w.])' + _MODEL + r'\s*(?:==|!=)'
                          r'|\bcase\s+LoggerModel::\w+\s*:')
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
FORWARD = re.compile(r'^\s*(?:class|struct)\s+(\w+)\s*;')
DEFINITION = re.compile(r'^\s*(?:template\s*<[^>]*>\s*)?(?:class|struct)\s+(\w+)\s*(?:final\s*)?[:{]')
COMPONENT = re.compile(r'korvanta_component\(\s*(\w+)\s+([^)]*)\)', re.S)
COMPONENT_KEYWORDS = ("LIBS", "EXCLUDE", "ROOMS")
TARGET = re.compile(r'add_(?:library|executable)\(\s*(\w+)[\s)]')
LINKS = re.compile(r'target_link_libraries\(\s*(\w+)\s+([^)]*)\)', re.S)


def folder_of(path):
    """The table's folder holding path (relative to src), or None."""
    d = os.path.dirname(path)
    while d and d not in RANK:
        d = os.path.dirname(d)
    return d if d in RANK else None


def room_of(path):
    """The room folder holding path (relative to src), or None outside the rooms."""
    d = os.path.dirname(path)
    return d if d in ROOM_FOLDERS else None


def crosses_loggers(path, header):
    """True when path, in a logger's room or the transport, includes another logger's room."""
    own, other = room_of(path), room_of(header)
    if not own or not other or own == other or ROOM_FOLDERS[own] != ROOM_FOLDERS[other]:
        return False
    rooms = ROOMS[ROOM_FOLDERS[own]]
    name = os.path.basename
    return name(own) in [rooms["transport"], *rooms["loggers"]] and name(other) in rooms["loggers"]


def reaches_above(path, header):
    """True when path, in a room, includes a header its folder keeps above the rooms."""
    own = room_of(path)
    if not own:
        return False
    folder = ROOM_FOLDERS[own]
    return os.path.dirname(header) == folder and os.path.basename(header) in ROOMS[folder].get("above", [])


def behind_face(path, header):
    """True when path, outside the room that holds header, includes a header other than its face."""
    other = room_of(header)
    if not other or room_of(path) == other:
        return False
    faces = ROOMS[ROOM_FOLDERS[other]].get("faces", {})
    name = os.path.basename(other)
    return name in faces and os.path.basename(header) != faces[name]


def branches_on_model(path, line):
    """True when line of path, outside the loggers' rooms and the model table, decides on the model."""
    own = room_of(path)
    if path in MODEL_TABLES or (own and os.path.basename(own) in ROOMS[ROOM_FOLDERS[own]]["loggers"]):
        return False
    return bool(MODEL_BRANCH.search(line.split("//")[0]))


def below(other, own):
    """True when folder other may be used from folder own."""
    return other == own or RANK[other] < RANK[own]


def read_sources(src, problems):
    """Every .h and .cpp below src (relative paths), and the folders with sources."""
    sources = []
    for root, _, files in os.walk(src):
        rel = os.path.relpath(root, src)
        mine = [f for f in files if f.endswith((".h", ".cpp"))]
        if mine and rel not in RANK and rel not in ROOM_FOLDERS:
            problems.append(f"{rel}: folder has no layer (add it to {os.path.basename(__file__)})")
        sources += [os.path.normpath(os.path.join(rel, f)) for f in mine]
    return sorted(sources)


def check_sources(src, sources, problems):
    """Includes and forward declarations; returns the folders each folder's own files include."""
    lines = {}
    defined = {}
    for path in sources:
        with open(os.path.join(src, path), errors="replace") as f:
            lines[path] = f.readlines()
        if path.endswith(".h"):
            for line in lines[path]:
                m = DEFINITION.match(line)
                if m:
                    defined.setdefault(m.group(1), set()).add(folder_of(path))

    included = {}
    for path in sources:
        own = folder_of(path)
        if own is None:
            continue
        here = included.setdefault(own, set())
        for n, line in enumerate(lines[path], 1):
            m = INCLUDE.match(line)
            if m and os.path.exists(os.path.join(src, m.group(1))):
                other = folder_of(m.group(1))
                if other is None:
                    continue  # a header of the same folder, or one the build generates
                here.add(other)
                if not below(other, own):
                    problems.append(f"src/{path}:{n}: {own} includes {m.group(1)} ({other} is not below it)")
                elif crosses_loggers(path, m.group(1)):
                    problems.append(f"src/{path}:{n}: {room_of(path)} includes {m.group(1)} "
                                    "(another logger's room)")
                elif reaches_above(path, m.group(1)):
                    problems.append(f"src/{path}:{n}: {room_of(path)} includes {m.group(1)} "
                                    "(it stands above the rooms)")
                elif behind_face(path, m.group(1)):
                    face = ROOMS[ROOM_FOLDERS[room_of(m.group(1))]]["faces"][os.path.basename(room_of(m.group(1)))]
                    problems.append(f"src/{path}:{n}: includes {m.group(1)} from outside its room "
                                    f"(only {face} is its face)")
            if branches_on_model(path, line):
                problems.append(f"src/{path}:{n}: decides on the logger's model outside its room "
                                "(ask the logger's face)")
            m = FORWARD.match(line)
            if m:
                owners = defined.get(m.group(1), set()) - {None}
                if own not in owners:
                    for other in sorted(o for o in owners if not below(o, own)):
                        problems.append(f"src/{path}:{n}: {own} declares class {m.group(1)} of {other} "
                                        "(not below it)")
    return included


def component_libs(args):
    """The words after LIBS in the arguments of korvanta_component, up to its next keyword."""
    libs, taking = [], False
    for word in args:
        if word in COMPONENT_KEYWORDS:
            taking = word == "LIBS"
        elif taking:
            libs.append(word)
    return libs


def read_targets(src):
    """Each target of the CMake files: its folder and the project targets it links."""
    texts = {}
    for root, _, files in os.walk(src):
        if "CMakeLists.txt" in files:
            with open(os.path.join(root, "CMakeLists.txt")) as f:
                texts[os.path.normpath(os.path.relpath(root, src))] = f.read()
    folder = {}
    raw = {}
    for rel, text in texts.items():
        for name, args in COMPONENT.findall(text):
            folder[name] = rel
            raw.setdefault(name, []).append(" ".join(component_libs(args.split())))
        for name in TARGET.findall(text):
            folder.setdefault(name, rel)
        for name, libs in LINKS.findall(text):
            raw.setdefault(name, []).append(libs)
    links = {name: [t for libs in raw.get(name, []) for t in re.findall(r'[\w:]+', libs) if t in folder]
             for name in folder}
    return texts, folder, links


def interface_members(name, folder, links, texts):
    """The ranked targets an interface library stands for (itself when it is none)."""
    rel = folder[name]
    if not re.search(r'add_library\(\s*%s\s+INTERFACE' % re.escape(name), texts[rel]):
        return [name]
    return [m for lib in links[name] for m in interface_members(lib, folder, links, texts)]


def check_links(src, included, problems):
    texts, folder, links = read_targets(src)
    for rel, text in sorted(texts.items()):
        if "LINK_INTERFACE_MULTIPLICITY" in text:
            problems.append(f"src/{rel}/CMakeLists.txt: LINK_INTERFACE_MULTIPLICITY holds a link cycle together")
    for name in sorted(links):
        own = folder[name]
        if own not in RANK:
            continue
        uses = included.get(own, set())
        for lib in links[name]:
            members = interface_members(lib, folder, links, texts)
            for member in members:
                other = folder[member]
                if other in RANK and not below(other, own):
                    via = f" through {lib}" if member != lib else ""
                    problems.append(f"{name} ({own}) links {member}{via} ({other} is not below it)")
            others = {folder[m] for m in members if folder[m] in RANK and folder[m] != own}
            if others and not others & uses:
                problems.append(f"{name} ({own}) links {lib}, but no file of {own} includes "
                                f"{' or '.join(sorted(others))}")


def main(src):
    problems = []
    sources = read_sources(src, problems)
    included = check_sources(src, sources, problems)
    check_links(src, included, problems)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} layering problem(s)")
        return 1
    print(f"layers hold: {len(sources)} sources checked")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "../../src")))
