#!/usr/bin/env bash
# Runs a test program as an ordinary user: an administrator may write read-only
# files and read unreadable ones, so permission faults only show without those
# rights. The program is copied out first, since the build folder may lie where
# an ordinary user cannot enter (it links the project's code statically).
set -euo pipefail
program="$1"
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$program" "$@"
fi
place="$(mktemp -d /tmp/talewick-unprivileged.XXXXXX)"
trap 'rm -rf "$place"' EXIT
cp "$program" "$place/"
chmod 755 "$place" "$place/$(basename "$program")"
setpriv --reuid=65534 --regid=65534 --clear-groups --reset-env \
    env TMPDIR=/tmp PATH=/usr/bin:/bin ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
    UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$place/$(basename "$program")" "$@"
