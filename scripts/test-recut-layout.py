#!/usr/bin/env python3
"""Runs scripts/recut-layout.py on a small git tree of its own and checks
what it did: files moved, includes and notes rewritten, the source lists
written, an unplaced file refused with nothing changed, and a second run
changing nothing. Exits non-zero on the first thing that is wrong."""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
FILES = {
    "src/old/low.h": "#pragma once\n",
    "src/old/low.cpp": '#include "old/low.h"\n',
    "src/old/high.h": '#pragma once\n#include "old/low.h"\n',
    "src/stay/user.cpp": '#include "old/high.h"\n#include "old/low.h"\n',
    "tests/old/helper.h": "#pragma once\n",
    "tests/old/low_test.cpp": '#include "helper.h"\n#include "old/low.h"\n',
    "docs/note.md": "See `src/old/high.h` and `tests/old/low_test.cpp`; link quelvo_old.\n",
}
MAP = """old path
src/old/low.h       src/base/low.h
src/old/low.cpp     src/base/low.cpp
tests/old/helper.h  tests/support/helper.h
target quelvo_old   quelvo_base
rule src/old/*      src/upper/
rule tests/old/*    by-includes
keep src/base/
keep src/upper/
keep src/stay/
keep tests/
"""
TEMPLATE = "add_library(quelvo_@NAME@ STATIC\n@SOURCES@\n)\ntarget_link_libraries(x PUBLIC @DEPENDENCIES@)\n"


def run(tree, *args, check=True):
    result = subprocess.run(args, cwd=tree, text=True, capture_output=True)
    if check and result.returncode != 0:
        sys.exit(f"{' '.join(args)} failed:\n{result.stdout}{result.stderr}")
    return result


def read(tree, path):
    with open(os.path.join(tree, path)) as f:
        return f.read()


def write(tree, path, text):
    os.makedirs(os.path.dirname(os.path.join(tree, path)), exist_ok=True)
    with open(os.path.join(tree, path), "w") as f:
        f.write(text)


def expect(condition, what):
    if not condition:
        sys.exit(f"test-recut-layout: {what}")


def main():
    tree = tempfile.mkdtemp(prefix="recut-test-")
    try:
        for path, text in FILES.items():
            write(tree, path, text)
        write(tree, "scripts/layout-map.txt", MAP.replace("old path\n", ""))
        shutil.copy(os.path.join(HERE, "recut-layout.py"), os.path.join(tree, "scripts"))
        for name in ("base", "upper"):
            write(tree, f"scripts/layout-templates/src/{name}/CMakeLists.txt", TEMPLATE.replace("@NAME@", name))
        run(tree, "git", "init", "-q")
        run(tree, "git", "add", "-A")
        run(tree, "git", "-c", "user.name=t", "-c", "user.email=t@t", "commit", "-qm", "fixture")
        recut = ("python3", "scripts/recut-layout.py")

        # A file no line places: refused, nothing changed.
        write(tree, "src/lost/alone.cpp", "\n")
        run(tree, "git", "add", "-A")
        refused = run(tree, *recut, check=False)
        expect(refused.returncode == 2 and "src/lost/alone.cpp" in refused.stdout, "an unplaced file was not refused")
        expect(os.path.exists(os.path.join(tree, "src/old/low.h")), "a refused run moved files")
        run(tree, "git", "rm", "-qf", "src/lost/alone.cpp")

        run(tree, *recut)
        expect(read(tree, "src/stay/user.cpp") == '#include "base/low.h"\n#include "upper/high.h"\n',
               "includes of moved headers not rewritten (and kept in order): " + read(tree, "src/stay/user.cpp"))
        expect(read(tree, "src/upper/high.h").endswith('#include "base/low.h"\n'), "a rule-placed header kept its old include")
        expect(read(tree, "tests/base/low_test.cpp") == '#include "base/low.h"\n#include "support/helper.h"\n',
               "a test was not put beside the code it includes, or its helper include is wrong: " +
               read(tree, "tests/base/low_test.cpp"))
        expect(read(tree, "docs/note.md") == "See `src/upper/high.h` and `tests/base/low_test.cpp`; link quelvo_base.\n",
               "the note's paths and library name not rewritten: " + read(tree, "docs/note.md"))
        lists = read(tree, "src/upper/CMakeLists.txt")
        expect("    high.h" in lists and "quelvo_base" in lists, "the upper module's list or dependency is wrong:\n" + lists)
        expect(not os.path.exists(os.path.join(tree, "src/old")), "the emptied folder is still there")

        run(tree, "git", "-c", "user.name=t", "-c", "user.email=t@t", "commit", "-qm", "recut")
        again = run(tree, *recut)
        expect("0 files moved, 0 build files written" in again.stdout and
               run(tree, "git", "status", "--porcelain").stdout == "", "a second run changed the tree")
    finally:
        shutil.rmtree(tree)
    print("test-recut-layout: all checks passed")


if __name__ == "__main__":
    main()
