#!/usr/bin/env python3
"""Fails when a source file includes a header of an area above its own.

The areas of src/, from the bottom up. A file may include headers of its own
area and of areas below it; an include of a higher area is reported with the
file, the line and both areas, and the check exits with status 1. Since every
include runs downwards, there is no include cycle between areas.
"""
import os
import re
import sys

AREAS = [  # bottom first; a sub-folder named here is an area of its own
    "platform", "rules", "state", "kit", "journal", "directory", "store", "complus", "startup",
    "directory/tree", "panel", "sink", "storetool", "users", "engine", "pickers", "app",
]
RANK = {name: i for i, name in enumerate(AREAS)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def area_of(path):
    """The area of a path relative to src/ (longest matching folder), or None."""
    best = None
    for name in AREAS:
        if path == name or path.startswith(name + "/"):
            if best is None or len(name) > len(best):
                best = name
    return best


def main(src):
    failures = []
    for folder, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            full = os.path.join(folder, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            own = area_of(rel)
            if own is None:
                continue
            with open(full, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = area_of(m.group(1))
                    if target is not None and RANK[target] > RANK[own]:
                        failures.append(f"src/{rel}:{number}: area '{own}' includes \"{m.group(1)}\" "
                                        f"of the higher area '{target}'")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "src"))
