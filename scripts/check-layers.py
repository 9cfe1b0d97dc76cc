#!/usr/bin/python3
"""Checks that no source includes a header of a layer that its library may not use, going by the
table of layers in docs/architecture.md (its "Folder" and "May use" columns). A layer may always
include its own headers; a test folder (tests/ inside a layer) may use what its layer may use.

    scripts/check-layers.py [ROOT]

Prints each include that breaks the table and exits with 1; prints a one-line summary and exits with
0 when there is none.
"""
import os
import re
import sys


def read_table(text):
    """{folder: set of folders it may use}, from the markdown table of docs/architecture.md."""
    rows = []
    for line in text.splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if len(cells) >= 4 and cells[0].startswith("`src/"):
            rows.append(cells)
    if not rows:
        raise SystemExit("check-layers: no table of layers in docs/architecture.md")
    folder_of = {}
    for cells in rows:
        folder = cells[0].strip("`")[len("src/") :]
        folder_of[folder] = folder
        for library in re.findall(r"`([^`]+)`", cells[1]):
            folder_of[library] = folder
    allowed = {}
    for cells in rows:
        folder = cells[0].strip("`")[len("src/") :]
        uses = re.sub(r"\([^)]*\)", "", cells[3])
        names = {name.strip() for name in uses.split(",")}
        allowed[folder] = {folder_of[n] for n in (name.replace(" ", "_") for name in names) if n in folder_of}
        allowed[folder] |= {folder_of[n] for n in names if n in folder_of}
    return allowed


def layer_of(path, layers):
    """The longest layer folder that holds the path, or None."""
    best = None
    for layer in layers:
        if (path == layer or path.startswith(layer + "/")) and (best is None or len(layer) > len(best)):
            best = layer
    return best


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    with open(os.path.join(root, "docs", "architecture.md"), encoding="utf-8") as f:
        allowed = read_table(f.read())
    layers = list(allowed)
    broken = []
    checked = 0
    for directory, _, files in os.walk(os.path.join(root, "src")):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(directory, name)
            relative = os.path.relpath(path, os.path.join(root, "src")).replace(os.sep, "/")
            own = layer_of(os.path.dirname(relative), layers)
            if own is None:
                continue
            checked += 1
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                    if not match:
                        continue
                    used = layer_of(os.path.dirname(match.group(1)), layers)
                    if used is not None and used != own and used not in allowed[own]:
                        broken.append(f"src/{relative}:{number}: src/{own} may not use src/{used} ({match.group(1)})")
    for line in broken:
        print(line)
    if broken:
        return 1
    print(f"check-layers: {checked} sources, every include within what its layer may use")
    return 0


if __name__ == "__main__":
    sys.exit(main())
