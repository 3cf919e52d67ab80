# shellcheck shell=bash
# Debian packages, sourced by run.sh and test.sh.
# shellcheck disable=SC2034 # the arrays are used by the scripts that source this one
BUILD_PACKAGES=(g++ make cmake qt6-base-dev qt6-base-dev-tools libgl-dev libjpeg62-turbo-dev fonts-ipafont-gothic)
TEST_PACKAGES=(xvfb xauth openbox xdotool xclip x11-utils imagemagick dbus at-spi2-core python3 python3-pyatspi clang libclang-rt-14-dev shellcheck neovim python3-jsonschema patch)
