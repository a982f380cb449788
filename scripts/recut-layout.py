#!/usr/bin/env python3
"""Re-cuts src/ and tests/ into the module layout of docs/layout.md.

    scripts/recut-layout.py [--dry-run] [--graph]

Reads scripts/layout-map.txt (old path -> new path, folder rules for files it
does not name), then, in a clean git checkout:
  1. `git mv`s every file to its place (tests beside the code they test);
  2. rewrites the quoted #includes in src/, tests/ and bench/, and every other
     mention of a moved file, folder, library or test program in the tree's
     texts (CMake, scripts, docs);
  3. writes the CMake files from scripts/layout-templates/, with explicit
     source lists and the libraries each module's includes call for.
Files that no line and no rule places are listed and nothing is changed
(exit 2): add them to the map and run again. Running it on a re-cut tree
changes nothing. --dry-run prints the moves only; --graph prints the module
dependencies the includes make, marking those that go up a layer.
"""

import argparse
import fnmatch
import os
import posixpath
import re
import shutil
import subprocess
import sys
from collections import defaultdict

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
MAP = os.path.join(ROOT, "scripts", "layout-map.txt")
TEMPLATES = os.path.join(ROOT, "scripts", "layout-templates")

# Modules from the bottom layer up; a module may include only modules of a
# lower rank (equal ranks stand side by side and do not include each other).
LAYERS = {
    "base": 0, "media": 1, "signal": 2, "speech": 3, "project": 4, "titles": 5,
    "writers": 6, "mix": 6, "preview": 7, "jobs": 8, "ui": 9, "app": 10,
}
# The targets: a module's library, or the program in a folder of src/app.
PROGRAMS = {"app/cli": "quelvo-cli", "app/desktop": "quelvo"}
# Libraries outside the tree, by the include that needs them. Qt is named in
# the desktop templates, which also set up moc and resources.
EXTERNAL = [
    (re.compile(r"^lib(avformat|avcodec|avutil|swresample|swscale)/"), "PkgConfig::FFMPEG"),
    (re.compile(r"^ebur128\.h$"), "PkgConfig::EBUR128"),
    (re.compile(r"^uchardet/"), "PkgConfig::UCHARDET"),
    (re.compile(r"^nlohmann/"), "nlohmann_json::nlohmann_json"),
    (re.compile(r"^CLI/"), "CLI11::CLI11"),
    (re.compile(r"^(QTest|QSignalSpy|QtTest/)"), "Qt6::Test"),
    (re.compile(r"^libxml/"), "PkgConfig::LIBXML2"),
]
FFMPEG_INCLUDE = re.compile(r'^\s*#\s*include\s*<lib(avformat|avcodec|avutil|swresample|swscale)/', re.M)
INCLUDE = re.compile(r'^(\s*#\s*include\s*)([<"])([^">]+)([">])', re.M)
SOURCE_EXT = (".cpp", ".h", ".hpp", ".cc")
# Texts whose paths are history or this script's own input.
NO_REWRITE = ("NEWS.md", "scripts/layout-map.txt", "scripts/recut-layout.py", "docs/layout.md",
              "scripts/check-layout.sh")
NO_REWRITE_DIRS = ("tests/golden/", "tests/data/", "tests/fuzz/corpus/", "scripts/layout-templates/",
                   "resources/", "examples/")
TEST_SUPPORT_DIRS = ("support", "tools", "fuzz", "data", "golden", "sanitizers")


def git(*args, capture=True):
    result = subprocess.run(["git", *args], cwd=ROOT, text=True,
                            stdout=subprocess.PIPE if capture else None, check=True)
    return result.stdout if capture else ""


def read(path):
    with open(os.path.join(ROOT, path), encoding="utf-8", errors="surrogateescape") as f:
        return f.read()


def write(path, text):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write(text)


class LayoutMap:
    def __init__(self, path):
        self.files, self.rules, self.keep = {}, [], []
        self.targets, self.tests, self.base = {}, {}, None
        for number, line in enumerate(open(path, encoding="utf-8"), 1):
            words = line.split("#", 1)[0].split()
            if not words:
                continue
            kind = words[0]
            if kind == "rule" and len(words) >= 3:
                self.rules.append((words[1], words[2:]))
            elif kind == "keep" and len(words) == 2:
                self.keep.append(words[1])
            elif kind == "target" and len(words) == 3:
                self.targets[words[1]] = words[2]
            elif kind == "test" and len(words) >= 3:
                self.tests[words[1]] = (words[2], words[3:])
            elif kind == "base" and len(words) == 2:
                self.base = words[1]
            elif len(words) == 2:
                self.files[words[0]] = words[1]
            else:
                sys.exit(f"{path}:{number}: cannot read this line")


def includes_ffmpeg(path):
    return bool(FFMPEG_INCLUDE.search(read(path)))


def quoted_includes(path):
    return [m.group(3) for m in INCLUDE.finditer(read(path)) if m.group(2) == '"']


def resolve_include(name, including, files):
    """The file a quoted include names, as the compiler finds it."""
    for candidate in (posixpath.join(posixpath.dirname(including), name),
                      posixpath.join("src", name), posixpath.join("tests", name)):
        candidate = posixpath.normpath(candidate)
        if candidate in files:
            return candidate
    return None


def module_of(path):
    """The module folder a path of src/ or tests/ belongs to ("app/cli" for programs)."""
    parts = path.split("/")
    if len(parts) < 3 or parts[0] not in ("src", "tests"):
        return None
    if parts[1] == "app" and len(parts) >= 4:
        return "app/" + parts[2]
    return parts[1]


def place_by_includes(path, files, placed):
    """A test goes beside the code it includes most (the toolkit counts last)."""
    votes = defaultdict(int)
    for name in quoted_includes(path):
        target = resolve_include(name, path, files)
        if target and target.startswith("src/"):
            module = module_of(placed.get(target, target))
            votes[module] += 1 if module != "base" else 0.01
    if not votes:
        return None
    best = max(sorted(votes), key=lambda m: votes[m])
    return f"tests/{best}/"


def plan_moves(layout, files):
    placed, unplaced, new_in_kept = {}, [], []
    mapped_to = set(layout.files.values())
    for path in files:
        if path in layout.files:
            placed[path] = layout.files[path]
    for path in files:
        if path in placed or not (path.startswith("src/") or path.startswith("tests/")):
            continue
        if posixpath.basename(path) == "CMakeLists.txt":
            continue  # written from the templates, or removed with its folder
        target = None
        for pattern, action in layout.rules:
            if not fnmatch.fnmatchcase(path, pattern):
                continue
            if action[0] == "ffmpeg?":
                target = action[1] if includes_ffmpeg(path) else action[3]
            elif action[0] == "by-includes":
                target = place_by_includes(path, files, placed)
            else:
                target = action[0]
            break
        if target:
            placed[path] = target + posixpath.basename(path) if target.endswith("/") else target
            continue
        if any(path == k or (k.endswith("/") and path.startswith(k)) for k in layout.keep):
            if (layout.base and path not in mapped_to and not path.startswith(NO_REWRITE_DIRS) and
                    not in_commit(layout.base, path)):
                new_in_kept.append(path)
            continue
        unplaced.append(path)
    moves = {old: new for old, new in placed.items() if old != new}
    return moves, unplaced, new_in_kept


def in_commit(commit, path):
    return subprocess.run(["git", "cat-file", "-e", f"{commit}:{path}"], cwd=ROOT,
                          stderr=subprocess.DEVNULL).returncode == 0


def rewrite_includes(path, old_path, moves, old_files):
    """Rewrites the quoted includes of one source file that name moved files."""
    text = read(path)

    def replace(match):
        if match.group(2) != '"':
            return match.group(0)
        header = resolve_include(match.group(3), old_path, old_files)
        if header is None or (header not in moves and old_path == path):
            return match.group(0)
        new_header = moves.get(header, header)
        if new_header.startswith("src/"):
            name = new_header[len("src/"):]
        elif posixpath.dirname(new_header) == posixpath.dirname(path):
            name = posixpath.basename(new_header)
        else:
            name = new_header[len("tests/"):]
        return f'{match.group(1)}"{name}"'

    new_text = INCLUDE.sub(replace, text)
    if new_text != text:
        write(path, new_text)
        changed = [n for n, (a, b) in enumerate(zip(text.splitlines(), new_text.splitlines()), 1) if a != b]
        sort_includes(path, changed)


def sort_includes(path, lines):
    """Keeps each block of includes in the order .clang-format gives it, and
    touches nothing else in the file."""
    if not lines or shutil.which("clang-format") is None:
        return
    ranges = [f"--lines={n}:{n}" for n in lines]
    subprocess.run(["clang-format", "-i", "--style=file", *ranges, path], cwd=ROOT, check=True)


def ancestors(path):
    parts = path.split("/")[:-1]
    return {"/".join(parts[:i]) for i in range(1, len(parts) + 1)}


def vacated_folders(moves, old_files, new_files):
    """Old folders that are gone: those whose files all went to one new folder
    (mentions follow them), and the split ones (mentions are listed)."""
    gone = set().union(*(ancestors(f) for f in old_files)) - set().union(*(ancestors(f) for f in new_files))
    whole, split = {}, []
    for folder in sorted(gone):
        members = [f for f in old_files if f.startswith(folder + "/")]
        targets = {posixpath.dirname(moves[m]) for m in members if m in moves}
        direct = all(posixpath.dirname(m) == folder for m in members)
        if len(targets) == 1 and direct and all(m in moves for m in members):
            whole[folder] = targets.pop()
        else:
            split.append(folder)
    return whole, split


TOKEN = re.compile(r"[A-Za-z0-9_./-]+")


def path_replacements(moves, whole):
    """Path (or path suffix after a '/') -> its replacement."""
    table = {}
    for old, new in moves.items():
        table[old] = new
        if old.startswith("src/") and new.startswith("src/"):
            table[old[4:]] = new[4:]
    for old, new in whole.items():
        table[old] = new
        table[old + "/"] = new + "/"
    # "decoding.{h,cpp}" and "loudness.*" name a header and its source at once.
    stems = defaultdict(set)
    for old, new in moves.items():
        stems[posixpath.splitext(old)[0]].add(posixpath.splitext(new)[0])
    for old, news in stems.items():
        if len(news) == 1:
            new = news.pop()
            table.setdefault(old, new)
            if old.startswith("src/") and new.startswith("src/"):
                table.setdefault(old[4:], new[4:])
    return table


def replace_token(t, table, words):
    stripped = t.rstrip(".")
    tail = t[len(stripped):]
    if stripped in words:
        return words[stripped] + tail
    for cut in range(len(stripped)):
        if cut and stripped[cut - 1] != "/":
            continue
        suffix = stripped[cut:]
        if suffix in table:
            return stripped[:cut] + table[suffix] + tail
    return t


def rewrite_mentions(path, table, words, split_words, notes):
    text = read(path)
    new_text = TOKEN.sub(lambda m: replace_token(m.group(0), table, words), text)
    if path.endswith(("CMakeLists.txt", ".cmake")):
        # Two old libraries may now be one: name it once.
        new_text = re.sub(r"\bquelvo_\w+(?:[ \t]+quelvo_\w+)+",
                          lambda m: " ".join(dict.fromkeys(m.group(0).split())), new_text)
    if new_text != text:
        write(path, new_text)
    for number, line in enumerate(new_text.splitlines(), 1):
        for word in split_words:
            if re.search(r"(?<![\w/])" + re.escape(word) + r"(?![\w.])", line):
                notes.append(f"{path}:{number}: names {word}, which was split: {line.strip()}")


def is_text(path):
    try:
        with open(os.path.join(ROOT, path), "rb") as f:
            return b"\0" not in f.read(8192)
    except OSError:
        return False


# ---- The CMake files


def scope_files(files, folder, recursive=True):
    prefix = folder.rstrip("/") + "/"
    return sorted(f for f in files if f.startswith(prefix) and
                  (recursive or "/" not in f[len(prefix):]))


def target_of(path):
    module = module_of(path)
    if module is None or not path.startswith("src/"):
        return None
    return PROGRAMS.get(module, f"quelvo_{module.split('/')[0]}")


def dependencies(scope, files, own, compiled_only=False):
    """The libraries a scope's includes call for: tree targets, then external ones."""
    inside, outside = set(), set()
    seen, queue = set(), [f for f in scope if f.endswith(SOURCE_EXT) and
                          (not compiled_only or not f.endswith((".h", ".hpp")))]
    while queue:
        path = queue.pop()
        if path in seen:
            continue
        seen.add(path)
        for m in INCLUDE.finditer(read(path)):
            name = m.group(3)
            if m.group(2) == "<":
                outside.update(lib for pattern, lib in EXTERNAL if pattern.search(name))
                continue
            header = resolve_include(name, path, files)
            if header is None:
                continue
            target = target_of(header)
            if target and target not in own:
                inside.add(target)
            elif header.startswith("tests/") and compiled_only:
                queue.append(header)
    ordered = sorted(inside, key=lambda t: (-LAYERS.get(t.replace("quelvo_", ""), 0), t))
    return ordered + sorted(outside)


def source_list(scope, folder, kinds=(".cpp", ".h", ".hpp", ".qrc")):
    prefix = folder.rstrip("/") + "/"
    return "\n".join(f"    {f[len(prefix):]}" for f in scope if f.endswith(kinds))


def fill_template(template_path, out_path, files):
    text = read(template_path)
    folder = posixpath.dirname(out_path)

    def placeholder(match):
        kind, sub = match.group(1), match.group(2) or "."
        scope_dir = posixpath.normpath(posixpath.join(folder, sub))
        scope = scope_files(files, scope_dir)
        if kind == "SOURCES":
            return source_list(scope, folder)
        own = {target_of(scope[0])} if scope and target_of(scope[0]) else set()
        return " ".join(dependencies(scope, files, own))

    return re.sub(r"@(SOURCES|DEPENDENCIES)(?::([\w./]+))?@", placeholder, text)


def test_block(files, layout):
    """One quelvo_test() per tests folder that holds .cpp files."""
    folders = sorted({posixpath.dirname(f) for f in files
                      if f.startswith("tests/") and f.endswith(".cpp") and
                      f.split("/")[1] not in TEST_SUPPORT_DIRS})
    lines = []
    for folder in folders:
        rel = folder[len("tests/"):]
        name, labels = layout.tests.get(rel, (rel.split("/")[-1], []))
        scope = scope_files(files, folder, recursive=False)
        libs = dependencies(scope, files, set(), compiled_only=True)
        sources = "\n".join(f"        {posixpath.relpath(f, 'tests')}" for f in scope if f.endswith(".cpp"))
        call = [f"quelvo_test({name}", "    SOURCES", sources, f"    LIBS {' '.join(libs)}"]
        if labels:
            call.append(f"    LABELS {' '.join(labels)}")
        call[-1] += ")"
        texts = "".join(read(f) for f in scope)
        programs = []
        if "quelvo-cli" in texts:
            programs.append("quelvo-cli")
        if '"quelvo"' in texts or "'quelvo'" in texts:
            programs.append("quelvo")
        gui = any(lib == "quelvo_ui" or lib.startswith("Qt6::") for lib in libs)
        block = call + [f"add_dependencies(test_{name} {p})" if p == "quelvo-cli" else
                        f"if(TARGET {p})\n    add_dependencies(test_{name} {p})\nendif()"
                        for p in programs]
        if gui:
            block = ["if(QUELVO_BUILD_UI)"] + ["    " + l.replace("\n", "\n    ") for l in block] + ["endif()"]
        lines.append("\n".join(block))
    return "\n\n".join(lines)


def tool_block(files):
    """One program per tests/tools/<name>.cpp, named <name> with dashes, built
    with the test helpers whose headers it includes."""
    blocks = []
    for tool in sorted(f for f in files if f.startswith("tests/tools/") and f.endswith(".cpp")):
        sources, seen, queue = [tool], set(), [tool]
        while queue:
            path = queue.pop()
            if path in seen:
                continue
            seen.add(path)
            for name in quoted_includes(path):
                header = resolve_include(name, path, files)
                if not header or not header.startswith("tests/") or header.startswith("tests/support/"):
                    continue
                queue.append(header)
                body = posixpath.splitext(header)[0] + ".cpp"
                if body in files and body not in sources:
                    sources.append(body)
                    queue.append(body)
        name = posixpath.splitext(posixpath.basename(tool))[0].replace("_", "-")
        libs = dependencies(sources, files, set(), compiled_only=True)
        rel = " ".join(posixpath.relpath(f, "tests") for f in sources)
        blocks.append(f"add_executable({name} {rel})\n"
                      f"target_link_libraries({name} PRIVATE quelvo_testsupport {' '.join(libs)})\n"
                      f"set_target_properties({name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${{PROJECT_BINARY_DIR}}/bin)")
    return "\n".join(blocks)


def write_cmake(files, layout):
    written = []
    for dirpath, _, names in os.walk(TEMPLATES):
        for name in names:
            template = os.path.relpath(os.path.join(dirpath, name), ROOT)
            out = os.path.relpath(os.path.join(dirpath, name), TEMPLATES)
            text = fill_template(template, out, files)
            if "@TESTS@" in text:
                text = text.replace("@TESTS@", test_block(files, layout))
            if "@TOOLS@" in text:
                text = text.replace("@TOOLS@", tool_block(files))
            text = re.sub(r"\n\s*target_link_libraries\(\S+ (PUBLIC|PRIVATE) \)", "", text)
            if not os.path.exists(os.path.join(ROOT, out)) or read(out) != text:
                write(out, text)
                written.append(out)
    return written


def graph(files):
    edges = defaultdict(set)
    for path in files:
        if not path.startswith("src/") or not path.endswith(SOURCE_EXT):
            continue
        source = module_of(path).split("/")[0]
        for name in quoted_includes(path):
            header = resolve_include(name, path, files)
            if header and header.startswith("src/"):
                target = module_of(header).split("/")[0]
                if target != source:
                    edges[(source, target)].add(f"{path} -> {name}")
    for (source, target), why in sorted(edges.items()):
        up = LAYERS.get(target, 99) >= LAYERS.get(source, 99)
        print(f"{source} -> {target}{'   GOES UP' if up else ''}")
        if up:
            for w in sorted(why):
                print(f"    {w}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--dry-run", action="store_true")
    parser.add_argument("--graph", action="store_true")
    args = parser.parse_args()
    files = set(git("ls-files").split("\n")) - {""}
    if args.graph:
        graph(files)
        return 0
    layout = LayoutMap(MAP)
    moves, unplaced, new_in_kept = plan_moves(layout, sorted(files))
    if unplaced:
        print("recut-layout: no line or rule of scripts/layout-map.txt places these files;")
        print("nothing was changed. Add them to the map and run again:")
        for path in unplaced:
            print(f"    {path}")
        return 2
    clashes = [new for new in moves.values() if new in files and new not in moves]
    if clashes or len(set(moves.values())) != len(moves):
        print("recut-layout: two files would land on the same path:", *sorted(clashes), sep="\n    ")
        return 2
    if args.dry_run:
        for old, new in sorted(moves.items()):
            print(f"{old} -> {new}")
        return 0
    if moves and git("status", "--porcelain").strip():
        print("recut-layout: the checkout has changes; commit or stash them first")
        return 2

    for old, new in sorted(moves.items()):
        os.makedirs(os.path.join(ROOT, posixpath.dirname(new)), exist_ok=True)
        git("mv", old, new)
    new_files = {moves.get(f, f) for f in files}
    # Old build files in folders that no longer hold sources go.
    for path in sorted(new_files):
        if posixpath.basename(path) == "CMakeLists.txt" and path.startswith("src/"):
            folder = posixpath.dirname(path)
            if not any(f.startswith(folder + "/") and f != path for f in new_files):
                git("rm", "-qf", path)
    new_files = {f for f in new_files if os.path.exists(os.path.join(ROOT, f))}
    back = {new: old for old, new in moves.items()}
    for path in sorted(new_files):
        if path.startswith(("src/", "tests/", "bench/")) and path.endswith(SOURCE_EXT):
            rewrite_includes(path, back.get(path, path), moves, files)

    whole, split = vacated_folders(moves, files, new_files)
    words = dict(layout.targets)
    for folder in list(whole) + split:
        if folder.startswith("tests/") and folder.count("/") == 1:
            old_name = "test_" + folder[len("tests/"):]
            if folder in whole:
                rel = whole[folder][len("tests/"):]
                new_name = "test_" + layout.tests.get(rel, (rel.split("/")[-1],))[0]
                if new_name != old_name:
                    words[old_name] = new_name
            else:
                split.append(old_name)
    table = path_replacements(moves, whole)
    notes = []
    for path in sorted(new_files):
        if path in NO_REWRITE or path.startswith(NO_REWRITE_DIRS) or not is_text(path):
            continue
        source = path.endswith(SOURCE_EXT)
        rewrite_mentions(path, table, {} if source else words, [] if source else split, notes)

    new_files = set(git("ls-files").split("\n")) - {""}
    new_files |= {f for f in (os.path.relpath(os.path.join(d, n), ROOT)
                              for d, _, ns in os.walk(os.path.join(ROOT, "src")) for n in ns)}
    written = write_cmake(new_files, layout)
    if moves:
        git("add", "-u")
        git("add", "-A", "src", "tests")
    if written:
        git("add", *written)
    for dirpath, dirnames, filenames in os.walk(ROOT, topdown=False):
        if ".git" in dirpath or dirpath.startswith(os.path.join(ROOT, "build")):
            continue
        if dirpath.startswith((os.path.join(ROOT, "src"), os.path.join(ROOT, "tests"))) and \
                not os.listdir(dirpath):
            os.rmdir(dirpath)

    print(f"recut-layout: {len(moves)} files moved, {len(written)} build files written")
    if new_in_kept:
        print("Added since the map was written and left where they are (check each belongs):")
        for path in new_in_kept:
            print(f"    {path}")
    if notes:
        print("Mentions of folders that were split (rewrite them by hand):")
        for note in notes:
            print(f"    {note}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
