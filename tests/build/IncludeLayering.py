#!/usr/bin/env python3
"""Usage: IncludeLayering.py <source tree>

Checks that every source under src/ includes only headers of its own
target and of the targets it depends on (directly or through them), as the
tollivar_library() declarations in the CMakeLists.txt files say. An include
of a target above it would be an arrow up the house: a cycle waiting to
happen, hidden while the headers alone are used."""
import os
import re
import sys

root = os.path.abspath(sys.argv[1])
src = os.path.join(root, "src")

declaration = re.compile(r"tollivar_library\(\s*(\w+)([^)]*)\)", re.S)
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

folders = {}  # folder relative to src -> target
deps = {}
for here, dirs, files in os.walk(src):
    if "CMakeLists.txt" not in files:
        continue
    text = open(os.path.join(here, "CMakeLists.txt")).read()
    found = declaration.search(text)
    if not found:
        continue
    name, rest = found.group(1), found.group(2)
    words = re.sub(r"#.*", "", rest).split()
    deps[name] = {w for w in words if w not in ("DEPS", "PRIVATE_DEPS")}
    folders[os.path.relpath(here, src)] = name


def owner(relative):
    folder = os.path.dirname(relative)
    while folder:
        if folder in folders:
            return folders[folder]
        folder = os.path.dirname(folder)
    return folders.get(".")


closure = {}


def reachable(name, seen=()):
    if name in closure:
        return closure[name]
    result = {name}
    for dep in deps.get(name, ()):
        if dep not in seen:
            result |= reachable(dep, seen + (name,))
    closure[name] = result
    return result


failures = []
for here, dirs, files in os.walk(src):
    for file in files:
        if not file.endswith((".cpp", ".h", ".c")):
            continue
        path = os.path.join(here, file)
        source = os.path.relpath(path, src)
        user = owner(source)
        if user is None:
            continue
        for header in include.findall(open(path, errors="replace").read()):
            if not os.path.exists(os.path.join(src, header)):
                continue
            used = owner(header)
            if used is not None and used not in reachable(user):
                failures.append(f"src/{source} ({user}) includes {header} of {used}, which {user} does not depend on")

for line in sorted(failures):
    print(line)
print(f"{len(failures)} include(s) against the layering" if failures else "every include follows the layering")
sys.exit(1 if failures else 0)
