#!/usr/bin/env bash
# Runs talewick-check's language server under Neovim's built-in LSP client
# (client.lua) on a scratch copy of workspace/, and compares what the client saw
# with expected.txt. Usage: run_client.sh TALEWICK_CHECK [NVIM]
# The scripts in workspace/ are code page 932 with CR LF line ends; keep them so.
# Neovim reads no configuration of the user running it: HOME and the XDG
# folders point into the scratch folder, which goes away afterwards. client.lua
# ends Neovim itself; the "cquit 3" after it runs only when it could not run.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ $# -lt 1 ]; then
    echo "usage: $0 TALEWICK_CHECK [NVIM]" >&2
    exit 2
fi
server="$(realpath "$1")"
nvim="${2:-nvim}"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/talewick-lsp.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
cp -R "$here/workspace" "$scratch/workspace"
mkdir -p "$scratch/home" "$scratch/config" "$scratch/data" "$scratch/state" "$scratch/cache" "$scratch/tmp"
chmod 700 "$scratch/tmp"
output="$scratch/facts.txt"

status=0
env HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    XDG_STATE_HOME="$scratch/state" XDG_CACHE_HOME="$scratch/cache" XDG_RUNTIME_DIR="$scratch/tmp" \
    TMPDIR="$scratch/tmp" LC_ALL=C.UTF-8 \
    TALEWICK_CHECK="$server" TALEWICK_WORKSPACE="$scratch/workspace" TALEWICK_OUTPUT="$output" \
    timeout -k 5 60 "$nvim" --headless --clean -u NONE -i NONE -n \
    -c "luafile $here/client.lua" -c 'cquit 3' </dev/null || status=$?

if [ ! -f "$output" ]; then
    echo "lsp_neovim: Neovim wrote no facts (exit $status; 124 is a timeout)" >&2
    exit 1
fi
if ! diff -u "$here/expected.txt" "$output"; then
    echo "lsp_neovim: what the client saw differs from expected.txt (Neovim exit $status)" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    echo "lsp_neovim: Neovim exited with $status" >&2
    exit 1
fi
