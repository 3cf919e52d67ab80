#!/usr/bin/env bash
# Installs the Debian packages given as arguments that are not installed yet.
# As root it runs apt-get itself, otherwise through sudo; without either it
# prints the line to run and fails.
set -euo pipefail

missing=()
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

install=(apt-get install -y --no-install-recommends "${missing[@]}")
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    "${install[@]}"
elif command -v sudo >/dev/null 2>&1; then
    sudo apt-get update -qq
    sudo DEBIAN_FRONTEND=noninteractive "${install[@]}"
else
    echo "Talewick needs packages that are not installed. Run as root:" >&2
    echo "    apt-get update && ${install[*]}" >&2
    exit 1
fi
