#!/usr/bin/env python3
"""Fails when a file includes a header its target does not link.

The graph comes from the build: the configure step writes, for every target,
its sources, its include folders, the targets it links and whether it depends on
this check (cmake/TargetGraph.cmake). A file may include the files of its own
target and of the targets that target links, directly or through others: the
areas form a graph, not a line. An include that reaches any other file of the
checked folders is reported with the file, the line and both targets. Includes
are resolved as the compiler resolves them: quoted ones next to the including
file first, then, like angle ones, in the include folders the target sees;
"../" is followed.

The check also fails on
  - a cycle among the targets' links;
  - a source or header of src/ that no target compiles (a file in a folder no
    area globs), or that two targets compile;
  - an include of such a file;
  - a target that compiles a file of the checked folders without depending on
    the check, so that it could be built before the check has run.

Usage: check_includes.py GRAPH ROOT FOLDER...   (FOLDERs relative to ROOT; the
first is the source tree, whose every file must belong to exactly one target)
Exit status 1 on any finding, each printed on its own line.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc")
COMPILED_ENDINGS = (".cpp", ".cc")


class Target:
    def __init__(self, name):
        self.name = name
        self.sources = []
        self.includes = []
        self.interface = []
        self.links = []
        self.checked = False


def read_graph(path):
    """Targets by name, from the lines "target NAME CHECKED", "source NAME PATH",
    "include NAME FOLDER", "interface NAME FOLDER" and "link NAME OTHER"."""
    targets = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            kind, _, rest = line.partition(" ")
            name, _, value = rest.partition(" ")
            if kind == "target":
                targets.setdefault(name, Target(name)).checked = value == "1"
            elif kind in ("source", "include", "interface", "link"):
                t = targets.setdefault(name, Target(name))
                {"source": t.sources, "include": t.includes, "interface": t.interface, "link": t.links}[kind].append(
                    value if kind == "link" else os.path.normpath(value))
            else:
                raise SystemExit(f"{path}:{number}: unknown line '{line}'")
    return targets


def closure(targets, name):
    """The target and every target it links, transitively."""
    seen, pending = set(), [name]
    while pending:
        t = pending.pop()
        if t in seen or t not in targets:
            continue
        seen.add(t)
        pending.extend(targets[t].links)
    return seen


def resolve(including, bracket, text, folders):
    """The file an include names, or None when it is none of ours."""
    candidates = ([os.path.dirname(including)] if bracket == '"' else []) + folders
    for folder in candidates:
        path = os.path.normpath(os.path.join(folder, text))
        if os.path.isfile(path):
            return path
    return None


def under(path, folders):
    return any(path == f or path.startswith(f + os.sep) for f in folders)


def check(graph, root, folders):
    targets = read_graph(graph)
    checked_folders = [os.path.normpath(os.path.join(root, f)) for f in folders]
    src = checked_folders[0]
    owners = {}
    for t in targets.values():
        for s in t.sources:
            if under(s, checked_folders):
                owners.setdefault(s, []).append(t.name)
    failures = []

    for t in sorted(targets.values(), key=lambda t: t.name):
        compiled = [s for s in t.sources if under(s, checked_folders) and s.endswith(COMPILED_ENDINGS)]
        if compiled and not t.checked:
            failures.append(f"target {t.name} compiles {os.path.relpath(compiled[0], root)} but does not "
                            f"depend on tv_include_direction")

    for t in sorted(targets):
        if any(t in closure(targets, other) for other in targets[t].links):
            failures.append(f"target {t} links itself through {' '.join(sorted(targets[t].links))} (a cycle)")

    for base, _, files in os.walk(src):
        for name in sorted(files):
            path = os.path.join(base, name)
            if not name.endswith(SOURCE_ENDINGS):
                continue
            rel = os.path.relpath(path, root)
            mine = owners.get(path, [])
            if not mine:
                failures.append(f"{rel}: outside any known area (no target compiles it)")
            elif len(mine) > 1:
                failures.append(f"{rel}: compiled into several targets ({', '.join(sorted(mine))})")

    for path in sorted(owners):
        with open(path, encoding="utf-8", errors="replace") as f:
            lines = list(f)
        for owner in owners[path]:
            allowed = closure(targets, owner)
            search = targets[owner].includes + [f for t in sorted(allowed) for f in targets[t].interface]
            for number, line in enumerate(lines, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = resolve(path, m.group(1), m.group(2), search)
                if target is None or not under(target, checked_folders):
                    continue
                theirs = owners.get(target)
                rel = os.path.relpath(path, root)
                if not theirs and under(target, [src]):
                    failures.append(f"{rel}:{number}: {owner} includes {m.group(2)}, a file of no target")
                elif theirs and not allowed.intersection(theirs):
                    failures.append(f"{rel}:{number}: {owner} includes {m.group(2)} of {' '.join(sorted(theirs))}, "
                                    f"which it does not link")
    return sorted(set(failures))


def main(argv):
    if len(argv) < 4:
        print("usage: check_includes.py GRAPH ROOT FOLDER...", file=sys.stderr)
        return 2
    failures = check(argv[1], argv[2], argv[3:])
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
