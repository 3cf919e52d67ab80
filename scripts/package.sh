#!/usr/bin/env bash
# Builds the Debian package talewick_<version>_amd64.deb in build-package/ (or
# $TALEWICK_PACKAGE_DIR) with the compiler and linker flags Debian builds its own
# packages with, without the tests, and checks it with lintian. Prints the path.
# The VS Code extension, talewick-<version>.vsix, is packed first and shipped in it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
"$root/scripts/ensure-packages.sh" "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
build="${TALEWICK_PACKAGE_DIR:-$root/build-package}"

version="$(sed -n 's/^project(Talewick VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
vsix="$("$root/editors/vscode/pack.sh" "$build/vsix" "$version")"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr -DTALEWICK_VSIX="$vsix" \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/talewick_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package="$(echo "$build"/talewick_*_amd64.deb)"
# Errors fail the build; warnings and notes are shown.
lintian --fail-on error --display-info "$package" >&2
echo "$package"
