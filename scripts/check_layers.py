#!/usr/bin/env python3
"""Checks that the areas of src/ point one way.

Each area may include and link only the areas before it in LAYERS (and
itself). A core file (any name but CName, QtName and main.cpp) may not include a
window or Qt glue header, wherever it lives. Prints every offending line and
exits 1; exits 0 when the tree keeps the rules.

Usage: check_layers.py [SRC_DIR]   (default: src/ beside this script)
"""
import os
import re
import sys

# From the bottom up; CONTRIBUTING.md explains each row.
LAYERS = [
    "base", "platform", "storage", "imaging", "settings", "tree", "controls",
    "events", "documents", "contacts", "today", "interop", "sync", "search", "app", "cli",
]
RANK = {area: i for i, area in enumerate(LAYERS)}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/([^"]+)"')
LIBRARY = re.compile(r'\bveltrin_([a-z0-9]+?)(_ui)?\b')
# Words of the build files that look like libraries but are not areas.
NOT_AREAS = {"core", "test", "bench", "resources", "chime", "help", "webeditor", "sound"}


UI_NAME = re.compile(r"^(C|Qt)[A-Z]")


def is_ui(name):
    base = os.path.basename(name)
    return bool(UI_NAME.match(base)) or base == "main.cpp"


def check(src):
    problems = []
    areas = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
    for area in areas:
        if area not in RANK:
            problems.append(f"{src}/{area}: not in the layer table of scripts/check_layers.py")
    for area in areas:
        if area not in RANK:
            continue
        folder = os.path.join(src, area)
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if name.endswith((".h", ".cpp")):
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target, header = m.group(1), m.group(2)
                        where = f"{path}:{number}: {line.strip()}"
                        if target not in RANK:
                            if os.path.isdir(os.path.join(src, target)):
                                problems.append(f"{where}: {target}/ is not in the layer table")
                            continue
                        if RANK[target] > RANK[area]:
                            problems.append(f"{where}: {area}/ may not include {target}/, a layer above it")
                        elif not is_ui(name) and is_ui(header):
                            problems.append(f"{where}: core code may not include a window or Qt header")
            elif name == "CMakeLists.txt":
                with open(path, encoding="utf-8") as f:
                    text = re.sub(r"#.*", "", f.read())
                for m in LIBRARY.finditer(text):
                    target, ui = m.group(1), m.group(2)
                    if target in NOT_AREAS or target == area:
                        continue
                    if target not in RANK:
                        problems.append(f"{path}: links veltrin_{target}{ui or ''}, which is no area")
                    elif RANK[target] > RANK[area]:
                        problems.append(f"{path}: {area} may not link veltrin_{target}{ui or ''}, a layer above it")
    return problems


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src")
    problems = check(os.path.normpath(src))
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) or link(s) against the layer order")
        return 1
    print("layers: every include and link points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
