#!/usr/bin/env bash
# Checks that every C++ source of src/ and tests/ is laid out as the repo's
# .clang-format says, without changing a file. Prints each difference and
# exits 1 if there is any. Fix with: clang-format -i <file>.
# The layout depends on clang-format's version: CI uses Debian 12's (14);
# set CLANG_FORMAT to use another binary.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format="${CLANG_FORMAT:-clang-format}"
command -v "$clang_format" >/dev/null || { echo "check-format: $clang_format is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
sources() { git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h'; }
if sources | xargs -0 "$clang_format" --dry-run -Werror; then
    echo "check-format: $(sources | tr -cd '\0' | wc -c | tr -d ' ') files are formatted"
else
    echo "check-format: some files differ from .clang-format; run clang-format -i on them" >&2
    exit 1
fi
