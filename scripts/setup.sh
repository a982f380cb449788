#!/usr/bin/env bash
# Installs everything the project needs to build, test and run. Safe to run
# again: it only installs what is missing.
set -euo pipefail

debian_packages=(
    cmake ninja-build g++ pkg-config
    libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libswscale-dev ffmpeg libebur128-dev
    qt6-base-dev libgl-dev qt6-multimedia-dev
    nlohmann-json3-dev libcli11-dev libgtest-dev libuchardet-dev
    libxml2-utils libxml2-dev xvfb xauth imagemagick
    openbox
    espeak-ng sox chromium
    # melt renders the MLT projects in the writers' tests, as Shotcut would play them.
    melt
    clang libclang-rt-14-dev
    # The source checks of CI: format, function size, the module graph.
    clang-format clang-tidy graphviz
    # A fast linker for every build (CMakeLists.txt picks mold, else lld).
    mold
    # The packaging check (scripts/check-package.sh): the package's dependencies,
    # the validators, the manual pages.
    dpkg-dev file desktop-file-utils appstream man-db
)
# The packaging check makes and installs a Debian package, so it has nothing to
# install on macOS (where the bundle is set up by CMake alone).
# (openbox is only the window manager of the virtual X display that
# tests/ui/take_screenshots.sh uses; macOS has its own window server.)
brew_packages=(cmake ninja pkg-config llvm graphviz ffmpeg libebur128 qt nlohmann-json cli11 googletest libxml2 espeak-ng sox imagemagick uchardet chromium mlt)

if [ "$(uname -s)" = "Darwin" ]; then
    command -v brew >/dev/null || { echo "setup: Homebrew is required on macOS" >&2; exit 1; }
    for p in "${brew_packages[@]}"; do
        brew list --versions "$p" >/dev/null 2>&1 || brew install "$p"
    done
    exit 0
fi

if ! command -v apt-get >/dev/null; then
    echo "setup: only Debian/Ubuntu (apt) and macOS (Homebrew) are supported" >&2
    exit 1
fi

missing=()
for p in "${debian_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
