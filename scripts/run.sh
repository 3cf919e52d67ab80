#!/usr/bin/env bash
# Installs what is missing, builds, and starts Talewick in the project folder,
# where it reads help/ and saves into npc/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/packages.sh"
"$root/scripts/ensure-packages.sh" "${BUILD_PACKAGES[@]}"
"$root/scripts/build.sh"
cd "$root"
exec "${TALEWICK_BUILD_DIR:-$root/build}/talewick"
