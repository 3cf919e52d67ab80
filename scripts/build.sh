#!/usr/bin/env bash
# Configures and builds Talewick into build/ (or $TALEWICK_BUILD_DIR).
# Arguments: -D options go to the configure step; "--target NAME..." builds only
# the targets named (up to the next option).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TALEWICK_BUILD_DIR:-$root/build}"
configure=()
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
    --target)
        shift
        while [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; do
            targets+=(--target "$1")
            shift
        done
        ;;
    *)
        configure+=("$1")
        shift
        ;;
    esac
done
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${TALEWICK_BUILD_TYPE:-RelWithDebInfo}" "${configure[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
