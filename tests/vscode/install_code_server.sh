#!/usr/bin/env bash
# Installs the pinned code-server (a real VS Code served to a browser) and
# playwright-core into DEST, a folder of the build tree, and keeps them there:
# a second run with the same package-lock.json and this script does nothing.
# Usage: install_code_server.sh DEST
#
# code-server from npm does not install as it stands: its post-install wants
# --unsafe-perm as root, @vscode/ripgrep downloads a binary from GitHub and argon2
# a prebuilt one. So nothing runs scripts while npm installs; Debian's ripgrep
# takes the place of the download, the native modules are built from the headers
# Node ships, and the post-install's steps are done here.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ $# -ne 1 ]; then
    echo "usage: $0 DEST" >&2
    exit 2
fi
dest="$1"
stamp="$(cat "$here/package-lock.json" "$0" | sha256sum | cut -d' ' -f1)"
if [ -f "$dest/installed" ] && [ "$(cat "$dest/installed")" = "$stamp" ]; then
    exit 0
fi
for tool in node npm rg; do
    command -v "$tool" >/dev/null || { echo "install_code_server: $tool is missing" >&2; exit 1; }
done
# code-server 4.100 is the last for Node 20; Debian 12's own nodejs is 18, on which
# no VS Code of ours runs: the test is skipped (77), saying why.
if [ "$(node -p 'process.versions.node.split(".")[0]')" -lt 20 ]; then
    echo "install_code_server: code-server 4.100 needs Node 20 (this is $(node --version)): skipped" >&2
    exit 77
fi
started=$SECONDS
rm -rf "$dest"
mkdir -p "$dest"
cp "$here/package.json" "$here/package-lock.json" "$dest/"
export npm_config_audit=false npm_config_fund=false npm_config_update_notifier=false
# node-pty's install script runs "npx node-gyp@<its pinned version>"; let it.
export npm_config_yes=true

(cd "$dest" && npm ci --ignore-scripts --no-progress && npm_config_build_from_source=true npm rebuild argon2)
vscode="$dest/node_modules/code-server/lib/vscode"
(cd "$vscode" && npm install --omit=dev --ignore-scripts --no-progress)
mkdir -p "$vscode/node_modules/@vscode/ripgrep/bin"
cp "$(command -v rg)" "$vscode/node_modules/@vscode/ripgrep/bin/rg"
(cd "$vscode" && npm rebuild)

# What code-server's post-install does once its modules are in place.
ln -sfn node_modules "$vscode/node_modules.asar"
ln -sfn code-linux.sh "$vscode/bin/remote-cli/code-server"
ln -sfn browser-linux.sh "$vscode/bin/helpers/browser.sh"
(cd "$vscode/extensions" && npm install --omit=dev --ignore-scripts --no-progress && node ./postinstall.mjs >/dev/null)

echo "$stamp" >"$dest/installed"
echo "install_code_server: installed in $((SECONDS - started)) s, $(du -sh "$dest" | cut -f1)"
