#!/usr/bin/env bash
# Configures and builds Talewick into build/ (or $TALEWICK_BUILD_DIR).
# Arguments: -D options go to the configure step; "--target NAME" builds only NAME.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TALEWICK_BUILD_DIR:-$root/build}"
configure=()
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
    --target)
        targets+=(--target "$2")
        shift 2
        ;;
    *)
        configure+=("$1")
        shift
        ;;
    esac
done
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${TALEWICK_BUILD_TYPE:-RelWithDebInfo}" "${configure[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
