#!/usr/bin/env bash
# Draws the parts of the build and what each links into docs/architecture.png,
# from CMake's own graph of the targets (CMakeGraphVizOptions.cmake picks them).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
"$root/scripts/ensure-packages.sh" "${BUILD_PACKAGES[@]}" graphviz
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cmake -S "$root" -B "$scratch/build" --graphviz="$scratch/talewick.dot" >/dev/null
# The legend explains CMake's shapes, not the project: leave it out.
sed '/subgraph clusterLegend/,/^}/d' "$scratch/talewick.dot" | dot -Tpng -Gdpi=90 -o "$root/docs/architecture.png"
echo "docs/architecture.png"
