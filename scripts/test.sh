#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest: once in the
# normal build (build/), once built with AddressSanitizer and UndefinedBehavior-
# Sanitizer by clang, fuzz targets included (build-sanitize/). Arguments go to
# ctest (for example -L unit). TALEWICK_SKIP_SANITIZERS=1 runs the first pass only.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
"$root/scripts/ensure-packages.sh" "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

echo "== shellcheck"
shellcheck -x "$root"/scripts/*.sh "$root"/.ci/run "$root"/tests/*.sh "$root"/tests/lsp/*.sh "$root"/tests/vscode/*.sh "$root"/tests/packaging/*.sh \
    "$root"/editors/vscode/pack.sh "$root"/packaging/talewick-desktop

"$root/scripts/build.sh"
(cd "${TALEWICK_BUILD_DIR:-$root/build}" && ctest --output-on-failure --no-tests=error --timeout 600 "$@")

[ "${TALEWICK_SKIP_SANITIZERS:-0}" = 1 ] && exit 0
echo "== the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer"
CC=clang CXX=clang++ TALEWICK_BUILD_DIR="$root/build-sanitize" \
    "$root/scripts/build.sh" -DTALEWICK_SANITIZE=ON -DTALEWICK_FUZZ=ON
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$root/build-sanitize" && ctest --output-on-failure --no-tests=error --timeout 900 "$@")
