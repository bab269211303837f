#!/usr/bin/env bash
# shellcheck disable=SC2317  # the checks are functions that check() calls by name
# Builds the Debian package from a configured and built build folder (cpack -G DEB) and checks it:
# its name and control fields, its files, lintian, the desktop entry (desktop-file-validate), the AppStream
# metainfo (appstreamcli validate --no-net), the man pages, and the programs unpacked into a
# temporary root (dpkg -x), which must run on the system's libraries alone.
#
#   scripts/check-package.sh [BUILD_DIR]      (default: build)
#
# Prints one line per check and ends with "package checks: N passed, M failed"; the exit status
# is 1 when a check failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
build=$(realpath "${1:-build}")
passed=0
failed=0
check() {  # name command...
    local name=$1
    shift
    local output
    if output=$("$@" 2>&1); then
        echo "ok      $name"
        passed=$((passed + 1))
    else
        echo "FAILED  $name"
        [ -n "$output" ] && tail -n 30 <<<"$output" | sed 's/^/        /'
        failed=$((failed + 1))
    fi
}
finish() {
    echo "package checks: ${passed} passed, ${failed} failed"
    [ "$failed" -eq 0 ]
    exit
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$build/package/tomaro_${version}_${arch}.deb
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root

build_package() {
    rm -f "$deb"
    (cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; return 1; }
    [ -f "$deb" ] || { echo "no $deb"; return 1; }
}
check "cpack builds tomaro_${version}_${arch}.deb" build_package
[ -f "$deb" ] || finish

control_fields() {
    local depends section
    depends=$(dpkg-deb --field "$deb" Depends)
    section=$(dpkg-deb --field "$deb" Section)
    echo "Depends: $depends"
    [ "$(dpkg-deb --field "$deb" Package)" = tomaro ] &&
        [ "$(dpkg-deb --field "$deb" Version)" = "$version" ] && [ "$section" = sound ] &&
        grep -q "libsndfile1" <<<"$depends" && grep -q "libqt6widgets6" <<<"$depends" &&
        grep -q "libportaudio2" <<<"$depends" && grep -q "libsqlite3-0" <<<"$depends"
}
check "control: name, version, section sound, libraries found by dpkg-shlibdeps" control_fields

expected=(
    ./usr/share/doc/tomaro/copyright
    ./usr/share/doc/tomaro/changelog.gz
    ./usr/bin/tomaro
    ./usr/bin/tomaro-analyze
    ./usr/share/applications/tomaro.desktop
    ./usr/share/icons/hicolor/scalable/apps/tomaro.svg
    ./usr/share/metainfo/org.tomaro.Tomaro.metainfo.xml
    ./usr/share/man/man1/tomaro.1.gz
    ./usr/share/man/man1/tomaro-analyze.1.gz
)
contents() {
    local listing missing=0
    listing=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
    for path in "${expected[@]}"; do
        grep -qxF "$path" <<<"$listing" || { echo "missing: $path"; missing=1; }
    done
    return "$missing"
}
check "dpkg-deb --contents holds the programs, entry, icon, metainfo, man pages, copyright" contents

# Debian's own checks of a package; errors fail (warnings and notes are shown with them).
lint() {
    lintian --fail-on error "$deb"
}
check "lintian finds no errors" lint

mkdir -p "$root"
check "dpkg -x unpacks it" dpkg -x "$deb" "$root"
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/tomaro.desktop"
check "appstreamcli validate --no-net" \
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.tomaro.Tomaro.metainfo.xml"

man_pages() {
    local page warnings
    for page in "$root"/usr/share/man/man1/*.1.gz; do
        warnings=$(zcat "$page" | LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww -z 2>&1)
        [ -z "$warnings" ] || { echo "$(basename "$page"): $warnings"; return 1; }
    done
}
check "man pages render without warnings" man_pages

# Only system libraries: no run path into the build, nothing missing.
system_libraries() {
    local program
    for program in "$root"/usr/bin/*; do
        if readelf -d "$program" | grep -E "RPATH|RUNPATH"; then return 1; fi
        if ldd "$program" | grep "not found"; then return 1; fi
    done
}
check "unpacked programs need only system libraries" system_libraries

versions() {
    [ "$("$root/usr/bin/tomaro-analyze" --version)" = "tomaro-analyze $version" ] &&
        [ "$("$root/usr/bin/tomaro" --version)" = "tomaro $version" ]
}
check "tomaro --version and tomaro-analyze --version print $version" versions

analyse() {
    local strike=$work/strike.wav wav imported
    "$build/bin/tomaro-demo-strike" "$strike" 146 >/dev/null || return 1
    export XDG_CONFIG_HOME=$work/config
    wav=$("$root/usr/bin/tomaro-analyze" --json "$strike") || { echo "$wav"; return 1; }
    imported=$("$root/usr/bin/tomaro-analyze" --json --import "$strike") || {
        echo "$imported"
        return 1
    }
    # The demo strike's tone lies near 146 Hz; the import reads the same 16-bit samples.
    python3 -c 'import json, sys
wav, imported = (json.loads(text) for text in sys.argv[1:3])
print(wav["frequency_hz"], imported["frequency_hz"])
sys.exit(0 if abs(wav["frequency_hz"] - 146) < 2 and imported.get("imported")
         and imported["frequency_hz"] == wav["frequency_hz"] else 1)' "$wav" "$imported"
}
check "the unpacked tomaro-analyze analyses a strike (WAV and --import)" analyse

finish
