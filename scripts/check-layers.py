#!/usr/bin/env python3
"""Keeps the layers of the source tree: every #include "room/..." in src/ and
tools/ must point to the including folder's own layer or one below it, and
no folders may include each other in a circle.

The order is the line of the README's architecture section that reads
"Layers, lowest first:" followed by the layers, e.g.
    engine < platform < search < results, viewer, settings, print < app, tools
A room is a folder under src/ (each folder of src/platform is a room of the
platform layer) or tools/.

Usage: scripts/check-layers.py [TOP]    (TOP: the checkout, default: here)
Exits 1 and names each offending include or circle.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_order(top):
    with open(os.path.join(top, "README.md"), encoding="utf-8") as readme:
        lines = readme.read().splitlines()
    for i, line in enumerate(lines):
        if line.strip().startswith("Layers, lowest first:"):
            order = next((later.strip() for later in lines[i + 1 :] if later.strip()), "")
            levels = [[n.strip() for n in level.split(",")] for level in order.split("<")]
            return {name: depth for depth, level in enumerate(levels) for name in level}
    sys.exit("check-layers: the README declares no line 'Layers, lowest first:'")


def room(path):
    """The room of a path below src/ or tools/ (without that prefix for src/)."""
    parts = path.split("/")
    if parts[0] == "platform" and len(parts) > 2:
        return "platform/" + parts[1]
    return parts[0]


def includes(top):
    """(file, room, included room, line) for every include of another room."""
    for base, prefix in (("src", ""), ("tools", "tools/")):
        for folder, _, files in os.walk(os.path.join(top, base)):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(folder, name)
                relative = os.path.relpath(path, os.path.join(top, base))
                source = "tools" if prefix else room(relative)
                with open(path, encoding="utf-8", errors="replace") as text:
                    for number, line in enumerate(text, 1):
                        match = INCLUDE.match(line)
                        if match and "/" in match.group(1):
                            target = room(match.group(1))
                            if target != source:
                                yield f"{base}/{relative}:{number}", source, target


def circles(edges):
    """Each circle of rooms (a strongly connected group of two or more)."""
    index, low, stack, found = {}, {}, [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    for node in sorted(edges):
        if node not in index:
            visit(node)
    return found


def main():
    top = sys.argv[1] if len(sys.argv) > 1 else os.getcwd()
    order = layer_order(top)
    problems, edges = [], {}
    for where, source, target in includes(top):
        edges.setdefault(source, set()).add(target)
        low, high = order.get(source.split("/")[0]), order.get(target.split("/")[0])
        if low is None or high is None:
            unknown = source if low is None else target
            problems.append(f"the folder {unknown} has no place in the layers")
        elif high > low:
            problems.append(f"{where}: {source} includes {target}, a layer above it")
    for group in circles(edges):
        problems.append("folders that include each other: " + " <-> ".join(group))
    for problem in sorted(set(problems)):
        print("check-layers: " + problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
