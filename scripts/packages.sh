# shellcheck shell=bash
# Debian packages, sourced by run.sh, test.sh and package.sh.
# shellcheck disable=SC2034 # the arrays are used by the scripts that source this one
BUILD_PACKAGES=(g++ make cmake qt6-base-dev qt6-base-dev-tools libgl-dev libjpeg62-turbo-dev libmimalloc-dev libconfig++-dev libyaml-cpp-dev pkgconf fonts-ipafont-gothic python3 gzip
                qt6-translations-l10n)
# Node and npm pack the VS Code extension; most machines have Node 20 already.
NODE_PACKAGES=()
command -v node >/dev/null 2>&1 || NODE_PACKAGES=(nodejs npm)
# Building the Debian package and checking it, the installed files with it.
PACKAGE_PACKAGES=(dpkg-dev fakeroot lintian desktop-file-utils appstream man-db "${NODE_PACKAGES[@]}")
# The VS Code test: Chromium to drive, ripgrep in place of the one code-server
# would download, and the headers its native modules build against.
VSCODE_TEST_PACKAGES=(chromium ripgrep libkrb5-dev libx11-dev libxkbfile-dev libsecret-1-dev pkg-config)
# The input-method test: ibus with a Japanese engine; Anthy's engine runs on python3-gi.
INPUT_METHOD_TEST_PACKAGES=(ibus ibus-anthy python3-gi)
TEST_PACKAGES=(xvfb xauth openbox xdotool xclip x11-utils imagemagick dbus at-spi2-core python3 python3-pyatspi clang libclang-rt-14-dev shellcheck neovim
               python3-jsonschema patch "${PACKAGE_PACKAGES[@]}" "${VSCODE_TEST_PACKAGES[@]}"
               "${INPUT_METHOD_TEST_PACKAGES[@]}")
