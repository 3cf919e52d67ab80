#!/usr/bin/env bash
# Runs a test as an ordinary user: an administrator may write read-only files and
# read unreadable ones, so permission faults only show without those rights.
if [ "$(id -u)" -eq 0 ]; then
    exec setpriv --reuid=65534 --regid=65534 --clear-groups --reset-env env TMPDIR=/tmp "$@"
fi
exec "$@"
