#!/usr/bin/env bash
# Packs the extension into OUT/talewick-VERSION.vsix with @vscode/vsce, both
# pinned by their package-lock.json: npm's registry is the only network it needs,
# and the extension downloads nothing when it runs. vsce is kept in OUT/vsce and
# installed again only when its lock changes. Prints the path of the .vsix.
# Usage: pack.sh OUT VERSION (the project's version; the extension's is its first three parts)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ $# -ne 2 ]; then
    echo "usage: $0 OUT VERSION" >&2
    exit 2
fi
out="$(mkdir -p "$1" && cd "$1" && pwd)"
version="$2"
export npm_config_audit=false npm_config_fund=false npm_config_update_notifier=false npm_config_progress=false

tools="$out/vsce"
stamp="$(sha256sum "$here/tools/package-lock.json" | cut -d' ' -f1)"
if [ "$(cat "$tools/installed" 2>/dev/null)" != "$stamp" ]; then
    rm -rf "$tools"
    mkdir -p "$tools"
    cp "$here/tools/package.json" "$here/tools/package-lock.json" "$tools/"
    (cd "$tools" && npm ci --ignore-scripts >&2)
    echo "$stamp" >"$tools/installed"
fi

stage="$out/extension"
rm -rf "$stage"
mkdir -p "$stage"
cp -R "$here/extension.js" "$here/lib" "$here/syntaxes" "$here/language-configuration.json" "$here/README.md" \
    "$here/package.json" "$here/package-lock.json" "$here/.vscodeignore" "$stage/"
cp "$here/../../LICENSE" "$stage/LICENSE"
semver="$(echo "$version" | cut -d. -f1-3)"
node -e 'const fs = require("fs"); const p = JSON.parse(fs.readFileSync(process.argv[1]));
         p.version = process.argv[2]; fs.writeFileSync(process.argv[1], JSON.stringify(p, null, 2) + "\n");' \
    "$stage/package.json" "$semver"
(cd "$stage" && npm ci --omit=dev --ignore-scripts >&2)
vsix="$out/talewick-$version.vsix"
(cd "$stage" && "$tools/node_modules/.bin/vsce" package --allow-missing-repository --out "$vsix" >&2)
echo "$vsix"
