#!/usr/bin/env bash
# Builds the Debian package and checks what it installs: the desktop entry
# (desktop-file-validate), the AppStream metainfo (appstreamcli validate), the man pages and
# the package as a whole (lintian, failing on errors). Exits non-zero on any error.
#
#   scripts/check-package.sh [BUILD_DIR]     (default: build-package in the source folder)
#
# Needs: desktop-file-utils appstream lintian (plus the build's own packages). Compiler and
# linker flags come from dpkg-buildflags, as for any Debian package, with immediate binding.
set -euo pipefail

source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-$source_dir/build-package}

for tool in cmake cpack dpkg-buildflags dpkg-deb desktop-file-validate appstreamcli lintian; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "check-package: $tool is missing (apt-get install desktop-file-utils appstream lintian)" >&2
        exit 1
    fi
done

export DEB_BUILD_MAINT_OPTIONS=hardening=+bindnow
export CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"

echo "== configure and build in $build_dir"
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=None -DTUNEXA_WERROR=ON \
    -DTUNEXA_WITH_QT=ON -DTUNEXA_TESTS=OFF >/dev/null
if [ ! -f "$build_dir/CPackConfig.cmake" ]; then
    echo "check-package: no CPack configuration; the top-level CMakeLists.txt must include(Packaging)" >&2
    exit 1
fi
cmake --build "$build_dir"

echo "== package"
rm -f "$build_dir"/tunexa_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
debs=("$build_dir"/tunexa_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "check-package: cpack made no single tunexa_*.deb" >&2
    exit 1
fi
deb=${debs[0]}
echo "$deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Suggests

contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

for required in usr/bin/tunexa usr/bin/tunexa-reg \
    usr/share/man/man1/tunexa.1.gz usr/share/man/man1/tunexa-reg.1.gz \
    usr/share/icons/hicolor/scalable/apps/tunexa.svg \
    usr/share/doc/tunexa/copyright usr/share/doc/tunexa/changelog.gz; do
    [ -f "$contents/$required" ] || fail "the package lacks /$required"
done
for size in 16 22 24 32 48 64 128 256; do
    png=$contents/usr/share/icons/hicolor/${size}x${size}/apps/tunexa.png
    if [ ! -f "$png" ]; then
        fail "the package lacks the ${size}x${size} icon"
    elif ! file "$png" | grep -q "PNG image data, $size x $size,"; then
        fail "$(file "$png") is not ${size}x${size}"
    fi
done

echo "== desktop-file-validate"
desktops=("$contents"/usr/share/applications/*.desktop)
[ -f "${desktops[0]}" ] || fail "the package has no desktop entry"
for desktop in "${desktops[@]}"; do
    [ -f "$desktop" ] && { desktop-file-validate "$desktop" || fail "desktop-file-validate $(basename "$desktop")"; }
done

echo "== appstreamcli validate"
metainfos=("$contents"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfos[0]}" ] || fail "the package has no AppStream metainfo"
for metainfo in "${metainfos[@]}"; do
    [ -f "$metainfo" ] || continue
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $(basename "$metainfo")"
    # The metainfo's newest release is the packaged version.
    version=$(dpkg-deb --field "$deb" Version)
    grep -q "<release version=\"$version\"" "$metainfo" ||
        fail "$(basename "$metainfo") has no release entry for version $version"
done

echo "== man pages"
for page in "$contents"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page $(basename "$page"): $warnings"
done

echo "== lintian"
lintian --fail-on error --display-info "$deb" || fail "lintian reports errors"

if [ "$failures" -ne 0 ]; then
    echo "check-package: $failures check(s) failed" >&2
    exit 1
fi
echo "check-package: all checks passed for $(basename "$deb")"
