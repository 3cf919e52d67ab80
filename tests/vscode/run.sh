#!/usr/bin/env bash
# The extension in a real VS Code: installs code-server and playwright-core into
# the build tree (once), packs the .vsix and installs it into a scratch code-server,
# opens a workspace whose npc/guide.txt is code page 932 with CR LF, and lets
# drive.js work through it in Debian's Chromium. Afterwards the file on disk must
# still be code page 932 with CR LF, with the quick fix and the rename in it.
# Usage: run.sh TALEWICK_CHECK BUILD_DIR VERSION [SCREENSHOT]
# TALEWICK_KEEP_SCRATCH=1 keeps the scratch folder (code-server's logs) afterwards.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ $# -lt 3 ]; then
    echo "usage: $0 TALEWICK_CHECK BUILD_DIR VERSION [SCREENSHOT]" >&2
    exit 2
fi
check="$(realpath "$1")"
build="$(realpath "$2")"
version="$3"
screenshot="${4:-$build/vscode-test/vscode.png}"
started=$SECONDS

"$here/install_code_server.sh" "$build/vscode-test"
vsix="$("$here/../../editors/vscode/pack.sh" "$build/vsix" "$version" 2>/dev/null)"
echo "vscode_extension: ready after $((SECONDS - started)) s"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/talewick-vscode.XXXXXX")"
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    [ -n "${TALEWICK_KEEP_SCRATCH:-}" ] || rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$scratch/home" "$scratch/data/User" "$scratch/extensions" "$scratch/workspace/npc"
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_DATA_HOME="$scratch/home/.local/share"
code_server="$build/vscode-test/node_modules/.bin/code-server"

python3 - "$scratch/workspace/npc/guide.txt" <<'EOF'
import sys
lines = ["harbor01.tsg,150,150,4\tscript\t案内人\t56,{",
         "\tmes \"[案内人]\";",
         "\tmes \"ようこそ。\";",
         "\tnext;",
         "\tif (rand(5) > 3) goto L_Nowhere;",
         "\tgoto L_Start;",
         "L_Start:",
         "\tmse \"こんにちは\";",
         "\tclose;",
         "}"]
open(sys.argv[1], "wb").write("".join(line + "\r\n" for line in lines).encode("cp932"))
EOF
cat >"$scratch/data/User/settings.json" <<EOF
{
    "talewick.checkPath": "$check",
    "workbench.colorTheme": "Default Light Modern",
    "workbench.startupEditor": "none",
    "workbench.tips.enabled": false,
    "workbench.enableExperiments": false,
    "extensions.autoCheckUpdates": false,
    "extensions.autoUpdate": false,
    "update.mode": "none",
    "telemetry.telemetryLevel": "off",
    "chat.commandCenter.enabled": false,
    "window.restoreWindows": "none"
}
EOF
"$code_server" --extensions-dir "$scratch/extensions" --user-data-dir "$scratch/data" \
    --install-extension "$vsix" >/dev/null

port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
"$code_server" --auth none --bind-addr "127.0.0.1:$port" --disable-telemetry --disable-update-check \
    --disable-workspace-trust --extensions-dir "$scratch/extensions" --user-data-dir "$scratch/data" \
    >"$scratch/code-server.log" 2>&1 &
server_pid=$!
for _ in $(seq 600); do
    node -e 'require("http").get(process.argv[1], () => process.exit(0)).on("error", () => process.exit(1))' \
        "http://127.0.0.1:$port/healthz" && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$scratch/code-server.log" >&2; exit 1; }
    sleep 0.1
done

status=0
TALEWICK_URL="http://127.0.0.1:$port" TALEWICK_WORKSPACE="$scratch/workspace" TALEWICK_SCREENSHOT="$screenshot" \
    NODE_PATH="$build/vscode-test/node_modules" timeout -k 5 300 node "$here/drive.js" || status=$?
if [ "$status" -ne 0 ]; then
    echo "vscode_extension: the driver failed (exit $status); code-server said:" >&2
    tail -n 40 "$scratch/code-server.log" >&2
    find "$scratch/data/logs" -name '*xthost*.log' -o -name '*Talewick*.log' | while read -r log; do
        echo "== $log" >&2
        tail -n 40 "$log" >&2
    done
    exit 1
fi

python3 - "$scratch/workspace/npc/guide.txt" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
text = data.decode("cp932")  # fails unless the file is still code page 932
assert data.count(b"\r\n") == data.count(b"\n") == 10, "line ends are no longer CR LF"
assert "\tmes \"こんにちは\";" in text, "the quick fix is not in the saved file"
assert text.count("L_Welcome") == 2 and "L_Start" not in text, "the rename is not in the saved file"
EOF
echo "vscode_extension: passed in $((SECONDS - started)) s; screenshot $screenshot"
