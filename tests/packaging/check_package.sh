#!/usr/bin/env bash
# The Debian package made from the build folder $1: lintian finds no error in it,
# and unpacked into a scratch root its programs run: talewick-check --version, its
# manual page, and the program started on a real X server through the desktop
# entry's own command from an empty home folder ($2: the source folder).
set -euo pipefail
build="$1"
source_root="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >/dev/null
package="$(echo "$scratch"/out/talewick_*_amd64.deb)"
[ -f "$package" ] || { echo "FAIL: no talewick_<version>_amd64.deb" >&2; exit 1; }
dpkg-deb --field "$package" Depends | grep -q 'qt6-qpa-plugins' || { echo "FAIL: no dependencies" >&2; exit 1; }
dpkg-deb --field "$package" Depends | grep -q 'qt6-translations-l10n' ||
    { echo "FAIL: Qt's Japanese translations are not a dependency" >&2; exit 1; }
dpkg-deb --field "$package" Recommends | grep -q 'fcitx5-frontend-qt6 | ibus' ||
    { echo "FAIL: no input method is recommended" >&2; exit 1; }
lintian --fail-on error "$package"

root="$scratch/root"
dpkg-deb -x "$package" "$root"
"$root/usr/bin/talewick-check" --version
LC_ALL=C.UTF-8 man -l "$root/usr/share/man/man1/talewick-check.1.gz" 2>/dev/null | grep -q 'TW101'
cmp "$root/usr/share/doc/talewick/copyright" "$source_root/LICENSE"
/usr/bin/python3 "$source_root/tests/real_window/daily_use.py" installed "$root"
