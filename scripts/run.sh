#!/usr/bin/env bash
# Installs what is missing, builds, and starts Talewick in the project folder,
# where it reads help/ and saves into npc/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
"$root/scripts/ensure-packages.sh" "${BUILD_PACKAGES[@]}"
# Only the program: the tests and benchmarks are built by scripts/test.sh.
"$root/scripts/build.sh" --target talewick
cd "$root"
exec "${TALEWICK_BUILD_DIR:-$root/build}/talewick"
