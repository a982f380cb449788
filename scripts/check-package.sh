#!/usr/bin/env bash
# What a packager checks before shipping Quelvo, on Debian/Ubuntu:
#   - desktop-file-validate and appstreamcli validate pass (the metainfo also
#     with screenshots, as it will be once they have a public address), and the
#     metainfo lists this version with its date;
#   - both manual pages render without warnings;
#   - `cpack -G DEB` makes the package, whose dependencies dpkg-shlibdeps computed;
#   - it installs with apt-get, the installed quelvo-cli reports the version
#     and ducks the checkout's example into a temporary folder, the bash
#     completion answers, and apt-get remove takes it all away again.
# Reuses the release build in build/ (or $QUELVO_BUILD_DIR), building only what
# is missing. Needs root (or sudo) for apt-get.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUELVO_BUILD_DIR:-$root/build}"
app_id=com.kyverne.Quelvo

if ! command -v dpkg >/dev/null || ! command -v apt-get >/dev/null; then
    echo "check-package: the Debian package is checked on Debian/Ubuntu only; skipped"
    exit 0
fi
"$root/scripts/setup.sh"
QUELVO_BUILD_DIR="$build" "$root/scripts/build.sh"

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
work="$(mktemp -d)"
installed_by_us=0
cleanup() {
    if [ "$installed_by_us" -eq 1 ] && dpkg-query -W -f='${Status}' quelvo 2>/dev/null | grep -q "ok installed"; then
        DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq quelvo >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-package: FAILED: $*" >&2; exit 1; }
step() { echo "== $*"; }

version="$("$build/bin/quelvo-cli" --version | head -n 1 | sed 's/^quelvo-cli //')"
[ -n "$version" ] || fail "quelvo-cli --version printed no version"

step "desktop entry"
desktop-file-validate "$root/packaging/$app_id.desktop" || fail "desktop-file-validate"
echo "desktop-file-validate: no findings"

step "metainfo"
metainfo="$build/packaging/$app_id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -Eq "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" "$metainfo" ||
    fail "the metainfo has no dated release $version: give it a heading in NEWS.md ('## 1.0 (build 1), 2026-12-08')"
cmake -DTEMPLATE="$root/packaging/$app_id.metainfo.xml.in" -DNEWS="$root/NEWS.md" -DVERSION="$version" \
    -DOUTPUT="$work/with-screenshots.metainfo.xml" -DSCREENSHOT_URL=https://quelvo.invalid/screenshots \
    -P "$root/packaging/make_metainfo.cmake"
appstreamcli validate --no-net "$work/with-screenshots.metainfo.xml" || fail "appstreamcli validate (with screenshots)"

step "manual pages"
for page in "$build/packaging/quelvo-cli.1" "$build/packaging/quelvo.1"; do
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)" || fail "man -l $page"
    [ -z "$warnings" ] || fail "$(basename "$page") renders with warnings: $warnings"
    echo "$(basename "$page"): renders without warnings"
done

step "package"
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack -G DEB"
deb="$(ls "$work"/package/quelvo_*.deb)"
chmod 755 "$work" "$work/package"
chmod 644 "$deb"
echo "$(basename "$deb"): $(du -h "$deb" | cut -f1)"
dpkg-deb -f "$deb" Depends | sed 's/^/Depends: /'
dpkg-deb -c "$deb" | awk '{print $6}' | grep -q '^./usr/bin/quelvo-cli$' || fail "the package has no /usr/bin/quelvo-cli"

step "install"
if dpkg-query -W -f='${Status}' quelvo 2>/dev/null | grep -q "ok installed"; then
    fail "a quelvo package is already installed here; remove it first"
fi
installed_by_us=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb" >/dev/null || fail "apt-get install $deb"
[ "$(/usr/bin/quelvo-cli --version | head -n 1)" = "quelvo-cli $version" ] || fail "installed quelvo-cli --version"
/usr/bin/quelvo-cli --version
[ "$(/usr/bin/quelvo --version | head -n 1)" = "quelvo $version" ] || fail "installed quelvo --version"
mkdir -p "$work/config" "$work/out"
QUELVO_CONFIG_DIR="$work/config" /usr/bin/quelvo-cli duck \
    --dialogue "$root/examples/dialogue.wav" --music "$root/examples/music.mp3" \
    --filler "$root/examples/filler.mp3" --format 1.9 --output "$work/out/example.fcpxml" ||
    fail "the installed quelvo-cli could not duck the example"
[ -s "$work/out/example.fcpxml" ] || fail "no project written"
dtd="${QUELVO_SHARED_DIR:-$root/../shared}/fcpxml/FCPXMLv1_9.dtd"
if [ -f "$dtd" ]; then
    xmllint --noout --nonet --dtdvalid "$dtd" "$work/out/example.fcpxml" || fail "the example project does not validate"
fi
# The installed bash completion offers the duck options and the version choices.
completion=/usr/share/bash-completion/completions/quelvo-cli
answer="$(bash -c "source $completion; COMP_WORDS=(quelvo-cli duck --format ''); COMP_CWORD=3; _quelvo_cli; echo \${COMPREPLY[*]}")"
[ "$answer" = "1.9 1.6 xmeml mlt" ] || fail "bash completion of --format answered '$answer'"
if command -v zsh >/dev/null; then
    zsh -n /usr/share/zsh/vendor-completions/_quelvo-cli || fail "the zsh completion does not parse"
fi
installed=(/usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml
           /usr/share/icons/hicolor/scalable/apps/$app_id.svg)
# Minimal images tell dpkg to leave manual pages and documents out.
if ! grep -rqs 'path-exclude=/usr/share/\(man\|doc\)' /etc/dpkg/dpkg.cfg.d; then
    installed+=(/usr/share/man/man1/quelvo-cli.1 /usr/share/man/man1/quelvo.1 /usr/share/doc/quelvo/copyright)
fi
for f in "${installed[@]}"; do
    [ -f "$f" ] || fail "not installed: $f"
done

step "remove"
DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq quelvo >/dev/null || fail "apt-get remove quelvo"
installed_by_us=0
[ ! -e /usr/bin/quelvo-cli ] && [ ! -e /usr/bin/quelvo ] || fail "apt-get remove left the programs behind"
echo "check-package: all checks passed"
