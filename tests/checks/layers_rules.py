#!/usr/bin/env python3
"""The rules of layers.py on small trees: a clean one passes, and each deliberate violation of
the link and declaration rules fails with its own message."""
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
    "analysis/CMakeLists.txt": "korvanta_component(kv_analysis LIBS kv_base)\n",
    "analysis/Engine.h": '#include "Core/Base/Hub.h"\nclass CHub;\nclass CEngine {};\n',
    "Core/Logic/CMakeLists.txt": "korvanta_component(kv_logic LIBS kv_analysis)\n",
    "Core/Logic/Manager.h": '#include "analysis/Engine.h"\nclass CManager : public CEngine\n{\n};\n',
    "setup/CMakeLists.txt": "korvanta_component(kv_setup LIBS korvanta_core)\n",
    "setup/Window.cpp": '#include "Core/Logic/Manager.h"\n',
}

# (what is changed, the message it must give)
VIOLATIONS = [
    ({"analysis/CMakeLists.txt": "korvanta_component(kv_analysis LIBS kv_base korvanta_core)\n"},
     "kv_analysis (analysis) links kv_logic through korvanta_core (Core/Logic is not below it)"),
    ({"Core/Logic/CMakeLists.txt": "korvanta_component(kv_logic LIBS kv_analysis kv_base)\n"},
     "kv_logic (Core/Logic) links kv_base, but no file of Core/Logic includes Core/Base"),
    ({"analysis/Engine.h": '#include "Core/Base/Hub.h"\nclass CManager;\nclass CEngine {};\n'},
     "src/analysis/Engine.h:2: analysis declares class CManager of Core/Logic (not below it)"),
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
