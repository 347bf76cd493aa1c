#!/usr/bin/env python3
"""The rules of layers.py on small trees: a clean one passes, and each deliberate violation of
the link, declaration and room rules fails with its own message."""
import contextlib
import io
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import layers  # noqa: E402

CLEAN = {
    "CMakeLists.txt": "add_library(korvanta_core INTERFACE)\n"
                      "target_link_libraries(korvanta_core INTERFACE kv_logic)\n",
    "Core/Base/CMakeLists.txt": "korvanta_component(kv_base LIBS Qt5::Core)\n",
    "Core/Base/Hub.h": "class CHub\n{\n};\n",
    # The base layer's table of models, and a logger's room, may name a model in a comparison.
    "Core/Base/LoggerModel.h": "inline bool IsPelorin(double t) { return t == double(LoggerModel::Pelorin); }\n",
    "analysis/CMakeLists.txt": "korvanta_component(kv_analysis LIBS kv_base)\n",
    "analysis/Engine.h": '#include "Core/Base/Hub.h"\nclass CHub;\nclass CEngine {};\n',
    "platform/CMakeLists.txt": "korvanta_component(kv_platform LIBS Qt5::Core)\n",
    "platform/Port.h": "class CPort {};\n",
    # The logic's rooms: only the transport's file includes the platform, which the library's
    # link to it needs; detection may reach a logger through its face, each logger the transport
    # and the interface the logic manager implements for the rooms.
    "Core/Logic/CMakeLists.txt": "korvanta_component(kv_logic ROOMS Transport Detection Pelorin Dravlet "
                                 "LIBS kv_analysis kv_platform)\n",
    "Core/Logic/Manager.h": '#include "analysis/Engine.h"\nclass CManager : public CEngine\n{\n};\n',
    "Core/Logic/LogicManager.h": '#include "Core/Logic/Manager.h"\n#include "Core/Logic/Pelorin/PelorinFace.h"\n',
    "Core/Logic/Pelorin/PelorinFace.h": '#include "Core/Logic/Manager.h"\n',
    "Core/Logic/Transport/Ring.h": '#include "platform/Port.h"\nclass CRing {};\n',
    "Core/Logic/Pelorin/Frames.h": '#include "Core/Logic/Transport/Ring.h"\n#include "Core/Logic/Manager.h"\n',
    "Core/Logic/Dravlet/Codec.h": '#include "Core/Logic/Transport/Ring.h"\n'
                                  "inline bool Mine(double t) { return t == 12.0; }\n",
    "Core/Logic/Detection/Finder.h": '#include "Core/Logic/Pelorin/PelorinFace.h"\n',
    "setup/CMakeLists.txt": "korvanta_component(kv_setup LIBS korvanta_core)\n",
    "setup/Window.cpp": '#include "Core/Logic/Manager.h"\n#include "Core/Logic/Transport/Ring.h"\n',
}

# (what is changed, the message it must give)
VIOLATIONS = [
    ({"analysis/CMakeLists.txt": "korvanta_component(kv_analysis LIBS kv_base korvanta_core)\n"},
     "kv_analysis (analysis) links kv_logic through korvanta_core (Core/Logic is not below it)"),
    ({"Core/Logic/CMakeLists.txt": "korvanta_component(kv_logic LIBS kv_analysis kv_base)\n"},
     "kv_logic (Core/Logic) links kv_base, but no file of Core/Logic includes Core/Base"),
    ({"analysis/Engine.h": '#include "Core/Base/Hub.h"\nclass CManager;\nclass CEngine {};\n'},
     "src/analysis/Engine.h:2: analysis declares class CManager of Core/Logic (not below it)"),
    ({"Core/Logic/Pelorin/Frames.h": '#include "Core/Logic/Transport/Ring.h"\n#include "Core/Logic/Dravlet/Codec.h"\n'},
     "src/Core/Logic/Pelorin/Frames.h:2: Core/Logic/Pelorin includes Core/Logic/Dravlet/Codec.h "
     "(another logger's room)"),
    ({"Core/Logic/Transport/Ring.h": '#include "platform/Port.h"\n#include "Core/Logic/Dravlet/Codec.h"\n'},
     "src/Core/Logic/Transport/Ring.h:2: Core/Logic/Transport includes Core/Logic/Dravlet/Codec.h "
     "(another logger's room)"),
    ({"Core/Logic/Video/Camera.h": '#include "Core/Logic/Manager.h"\n'},
     "Core/Logic/Video: folder has no layer (add it to layers.py)"),
    ({"Core/Logic/Dravlet/Codec.h": '#include "Core/Logic/Transport/Ring.h"\n#include "Core/Logic/LogicManager.h"\n'},
     "src/Core/Logic/Dravlet/Codec.h:2: Core/Logic/Dravlet includes Core/Logic/LogicManager.h "
     "(it stands above the rooms)"),
    ({"Core/Logic/Detection/Finder.h": '#include "Core/Logic/Pelorin/Frames.h"\n'},
     "src/Core/Logic/Detection/Finder.h:1: includes Core/Logic/Pelorin/Frames.h from outside its room "
     "(only PelorinFace.h is its face)"),
    ({"setup/Window.cpp": '#include "Core/Logic/Manager.h"\n#include "Core/Logic/Dravlet/Codec.h"\n'},
     "src/setup/Window.cpp:2: includes Core/Logic/Dravlet/Codec.h from outside its room "
     "(only DravletFace.h is its face)"),
    ({"Core/Logic/Detection/Finder.h": '#include "Core/Logic/Pelorin/PelorinFace.h"\n'
                                       "bool Own(int m) { return m == int(LoggerModel::Dravlet); }\n"},
     "src/Core/Logic/Detection/Finder.h:2: decides on the logger's model outside its room "
     "(ask the logger's face)"),
]


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w") as f:
                f.write(text)
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            code = layers.main(root)
        return code, out.getvalue()


def main():
    failures = []
    code, out = run(CLEAN)
    if code != 0:
        failures.append(f"the clean tree fails:\n{out}")
    for change, message in VIOLATIONS:
        code, out = run({**CLEAN, **change})
        if code == 0 or message not in out:
            failures.append(f"expected '{message}', got (exit {code}):\n{out}")
    for f in failures:
        print(f)
    print(f"{len(VIOLATIONS) + 1 - len(failures)} of {len(VIOLATIONS) + 1} cases hold")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
