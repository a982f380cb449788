#!/usr/bin/env bash
# Checks the module layout docs/layout.md describes:
#   - FFmpeg headers are included in src/media only;
#   - Qt headers in src/ui and src/app/desktop only;
#   - tests/ mirrors src/: every module of src/ (and every program under
#     src/app/) has its tests folder, every folder of tests/ but the shared
#     ones names a folder of src/, and no test file is a regression_* file
#     apart from the behaviour it protects;
#   - every source file of src/ and tests/ is named in a CMake source list;
#   - no file in src/ is over 600 lines (a file with one job reads at once);
#   - no module includes a module of its own or a higher layer, but for the
#     edges listed below with the reason they are still there.
# Prints each finding and exits 1 if there is any.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 - "$@" <<'EOF'
import os, re, sys

# Layers from the bottom up; equal numbers stand side by side.
LAYERS = {"base": 0, "media": 1, "signal": 2, "speech": 3, "project": 4, "titles": 5,
          "writers": 6, "mix": 6, "preview": 7, "jobs": 8, "ui": 9, "app": 10}
# Includes that still go up, each with why.
KNOWN_UP = set()
FFMPEG = re.compile(r'^\s*#\s*include\s*<lib(avformat|avcodec|avutil|avfilter|avdevice|swresample|swscale)/', re.M)
QT = re.compile(r'^\s*#\s*include\s*<(Q[A-Za-z]+|Qt[A-Za-z]+/[^>]*)>', re.M)
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
findings = []

def sources(top):
    for folder, _, names in os.walk(top):
        for name in sorted(names):
            if name.endswith((".cpp", ".h", ".hpp")):
                yield os.path.join(folder, name)

def text(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()

def cmake_lists(folder, stop):
    while True:
        candidate = os.path.join(folder, "CMakeLists.txt")
        if os.path.exists(candidate):
            yield candidate
        if folder == stop:
            return
        folder = os.path.dirname(folder)

modules = sorted(d for d in os.listdir("src") if os.path.isdir(os.path.join("src", d)))
for module in modules:
    if module not in LAYERS:
        findings.append(f"src/{module}: a module docs/layout.md does not place in a layer")
    if not os.path.isdir(os.path.join("tests", module)):
        findings.append(f"src/{module} has no tests/{module} folder")

# Folders of tests/ that mirror no src/ folder: what several test programs
# share, the aids that are not tests, the fuzzers, and test inputs.
SHARED_TESTS = {"support", "tools", "fuzz", "data", "golden", "sanitizers"}
for program in sorted(os.listdir("src/app")):
    if os.path.isdir(os.path.join("src/app", program)) and not os.path.isdir(os.path.join("tests/app", program)):
        findings.append(f"src/app/{program} has no tests/app/{program} folder")
for folder, subfolders, names in os.walk("tests"):
    rel = os.path.relpath(folder, "tests")
    if rel.split("/")[0] in SHARED_TESTS:
        subfolders[:] = []
        continue
    if rel != "." and not os.path.isdir(os.path.join("src", rel)):
        findings.append(f"tests/{rel} mirrors no folder of src/")
    for name in names:
        if name.startswith("regression_") and name.endswith((".cpp", ".h")):
            findings.append(f"tests/{rel}/{name}: a regression test goes into the test file of the behaviour it protects")

MAX_FILE_LINES = 600
for path in sources("src"):
    body = text(path)
    module = path.split("/")[1]
    lines = body.count("\n")
    if lines > MAX_FILE_LINES:
        findings.append(f"{path}: {lines} lines, over {MAX_FILE_LINES}; split it")
    if FFMPEG.search(body) and module != "media":
        findings.append(f"{path}: includes FFmpeg outside src/media")
    if QT.search(body) and module != "ui" and not path.startswith("src/app/desktop/"):
        findings.append(f"{path}: includes Qt outside src/ui and src/app/desktop")
    for name in INCLUDE.findall(body):
        target = name.split("/")[0]
        if not os.path.exists(os.path.join("src", name)) or target == module:
            continue
        if LAYERS.get(target, 99) >= LAYERS.get(module, -1) and (path, name) not in KNOWN_UP:
            findings.append(f"{path}: includes {name}, which is not in a lower layer")

for top in ("src", "tests"):
    for path in sources(top):
        if not path.endswith(".cpp") or path.startswith(("tests/fuzz/",)):
            continue
        rel_ok = False
        for lists in cmake_lists(os.path.dirname(path), top):
            rel = os.path.relpath(path, os.path.dirname(lists))
            if re.search(r"(^|[\s(])" + re.escape(rel) + r"($|[\s)])", text(lists), re.M):
                rel_ok = True
                break
        if not rel_ok:
            findings.append(f"{path}: in no CMake source list")

for finding in findings:
    print(f"check-layout: {finding}")
if findings:
    sys.exit(1)
print("check-layout: the layout holds")
EOF
