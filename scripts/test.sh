#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
"$root/scripts/ensure-packages.sh" "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
"$root/scripts/build.sh"
cd "${TALEWICK_BUILD_DIR:-$root/build}"
ctest --output-on-failure --timeout 300 "$@"
