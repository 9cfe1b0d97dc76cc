#!/usr/bin/python3
"""Checks every include of src/, tests/, fuzz/ and bench/ against the tables of layers in
docs/architecture.md (their "Folder", "Library", "May use" and "Outside libraries" columns):

- every .cpp and .h lies in a folder of the tables (or in a folder inside one);
- an include path has no "." or ".." component;
- a project header (in quotes) is the folder's own or one of a folder that its row may use;
- a header in angle brackets is the standard library's, which every folder may use, or one of an
  outside library that the row names; a header that HEADERS below does not know fails too;
- in src/, the system's headers appear only in one system's own file (NAME_posix.cpp, NAME_win32.cpp,
  or a folder named posix or win32), in a program's entry point (main.cpp) and in tests.

A layer's tests (its tests/ folder) may use what the layer may use, and the test support library,
GoogleTest and the system.

    scripts/check-layers.py [ROOT]

Prints each break, one a line, and exits with 1; prints a one-line summary and exits with 0 when
there is none.
"""
import os
import re
import sys

SOURCE_FOLDERS = ("src", "tests", "fuzz", "bench")
# Where a header in quotes is found, in this order: the include directories the CMake files give.
INCLUDE_ROOTS = ("src", "tests/support/include", "fuzz")
TEST_SUPPORT = "tests/support"

# The C++ standard library's headers, and C's by their .h names (but <locale.h>, see SYSTEM).
STANDARD = set(
    """algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono
    cinttypes climits clocale cmath codecvt compare complex concepts condition_variable coroutine csetjmp
    csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception
    execution filesystem format forward_list fstream functional future initializer_list iomanip ios iosfwd
    iostream istream iterator latch limits list locale map memory memory_resource mutex new numbers numeric
    optional ostream queue random ranges ratio regex scoped_allocator semaphore set shared_mutex
    source_location span sstream stack stdexcept stop_token streambuf string string_view syncstream
    system_error thread tuple type_traits typeindex typeinfo unordered_map unordered_set utility valarray
    variant vector version""".split()
)
STANDARD |= {
    name + ".h"
    for name in """assert ctype errno fenv float inttypes limits math setjmp signal stdarg stddef stdint stdio
    stdlib string time uchar wchar wctype""".split()
}
# Win32's and POSIX's headers. <locale.h> is C's too, but included for POSIX's newlocale; C's part is
# <clocale>.
SYSTEM = set(
    """windows.h commdlg.h dlgs.h objbase.h shellapi.h shlobj.h
    dlfcn.h fcntl.h iconv.h langinfo.h locale.h pthread.h sched.h unistd.h""".split()
)
# The outside library of a header, by its path; the names are those of the tables' last column.
HEADERS = [
    (lambda h: h in STANDARD, "std"),
    (lambda h: h in SYSTEM or h.startswith("sys/"), "the system"),
    (lambda h: h.startswith("fmt/"), "fmt"),
    (lambda h: h == "pugixml.hpp", "pugixml"),
    (lambda h: re.fullmatch(r"Qt?[A-Z]\w*|Qt\w+/.+", h), "Qt"),
    (lambda h: h == "chm_lib.h", "chmlib"),
    (lambda h: h.startswith(("gtest/", "gmock/")), "GoogleTest"),
    (lambda h: h.startswith("xcb/"), "xcb"),
    (lambda h: h.startswith("X11/"), "X11"),
]
LIBRARIES = [name for _, name in HEADERS if name != "std"]


def names(cell):
    """The comma-separated names of a cell, without remarks in parentheses."""
    return [name.strip() for name in re.sub(r"\([^)]*\)", "", cell).split(",") if name.strip() not in ("", "none")]


def read_tables(text):
    """{folder: (folders it may use, outside libraries it may use)}, from every table of the text
    that has the columns Folder, Library, May use and Outside libraries."""
    rows, header = {}, None
    for line in text.splitlines():
        if not line.startswith("|"):
            header = None
            continue
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if header is None:
            header = cells
        elif {"Folder", "Library", "May use", "Outside libraries"} <= set(header) and cells[0].startswith("`"):
            rows[cells[0].strip("`")] = dict(zip(header, cells))
    if not rows:
        raise SystemExit("check-layers: no table of layers in docs/architecture.md")
    folder_of = {}
    for folder, row in rows.items():
        folder_of[folder.removeprefix("src/")] = folder
        for library in re.findall(r"`([^`]+)`", row["Library"]):
            folder_of[library] = folder
    allowed = {}
    for folder, row in rows.items():
        uses, outside = set(), set()
        for name in names(row["May use"]):
            used = folder_of.get(name) or folder_of.get(name.replace(" ", "_"))
            if used is None:
                raise SystemExit(f"check-layers: docs/architecture.md: {folder} may use '{name}', in no table")
            uses.add(used)
        for name in names(row["Outside libraries"]):
            library = next((library for library in LIBRARIES if name.startswith(library)), None)
            if library is None:
                raise SystemExit(f"check-layers: docs/architecture.md: {folder} may use '{name}', not in HEADERS")
            outside.add(library)
        allowed[folder] = (uses, outside)
    return allowed


def layer_of(path, layers):
    """The longest folder of the tables that holds the path, or None."""
    best = None
    for layer in layers:
        if (path == layer or path.startswith(layer + "/")) and (best is None or len(layer) > len(best)):
            best = layer
    return best


def header_path(root, header):
    """The path from ROOT of a header in quotes: under the first include root that has it."""
    found = (base for base in INCLUDE_ROOTS if os.path.isfile(os.path.join(root, base, header)))
    return next(found, "src") + "/" + header


def may_hold_system(path, in_tests):
    """Whether a source may include the system's headers (the table's row permitting)."""
    parts = path.split("/")
    stem = os.path.splitext(parts[-1])[0]
    one_system = stem.endswith(("_posix", "_win32")) or {"posix", "win32"} & set(parts[:-1])
    return parts[0] != "src" or in_tests or stem == "main" or bool(one_system)


def check(root, path, own, allowed):
    """The breaks of one source's includes."""
    in_tests = path[len(own) :].startswith("/tests/")
    uses, outside = allowed[own]
    if in_tests:
        uses, outside = uses | {TEST_SUPPORT}, outside | {"the system", "GoogleTest"}
    broken = []
    with open(os.path.join(root, path), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            match = re.match(r'\s*#\s*include\s*([<"])([^>"]+)', line)
            if not match:
                continue
            bracket, header = match.groups()
            at = f"{path}:{number}:"
            if {".", ".."} & set(re.split(r"[/\\]", header)):
                broken.append(f"{at} relative include path ({header}): name the header from its include root")
            elif bracket == '"':
                used = layer_of(os.path.dirname(header_path(root, header)), allowed)
                if used is not None and used != own and used not in uses:
                    broken.append(f"{at} {own} may not use {used} ({header})")
            else:
                library = next((name for known, name in HEADERS if known(header)), None)
                if library is None:
                    broken.append(f"{at} <{header}> is no header that scripts/check-layers.py knows: add it to HEADERS")
                elif library != "std" and library not in outside:
                    broken.append(f"{at} {own} may not use {library} (<{header}>)")
                elif library == "the system" and not may_hold_system(path, in_tests):
                    broken.append(f"{at} <{header}> is the system's: only in NAME_posix/NAME_win32, main.cpp or tests")
    return broken


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    with open(os.path.join(root, "docs", "architecture.md"), encoding="utf-8") as f:
        allowed = read_tables(f.read())
    broken, unlisted, checked = [], set(), 0
    for top in SOURCE_FOLDERS:
        for directory, folders, files in os.walk(os.path.join(root, top)):
            folders.sort()
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")
                own = layer_of(os.path.dirname(path), allowed)
                if own is None:
                    unlisted.add(os.path.dirname(path))
                    continue
                checked += 1
                broken += check(root, path, own, allowed)
    broken += [f"{folder}: holds sources but is in no table of docs/architecture.md" for folder in sorted(unlisted)]
    for line in broken:
        print(line)
    if broken:
        return 1
    print(f"check-layers: {checked} sources, every include within what its folder may use")
    return 0


if __name__ == "__main__":
    sys.exit(main())
