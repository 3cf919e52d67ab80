#!/usr/bin/env bash
# cmake --install of the build folder $1 into a scratch prefix: every file where a
# desktop looks for it, each checked by Debian's own tools, and the manual page of
# talewick-check holding every rule code of its --help (and each explanation the
# program gives).
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for file in bin/talewick bin/talewick-check libexec/talewick/talewick-desktop \
    share/talewick/help/npc_info.txt share/talewick/help/npc_shop.txt \
    share/applications/talewick.desktop share/icons/hicolor/64x64/apps/talewick.png \
    share/metainfo/io.github.talewick.Talewick.metainfo.xml \
    share/man/man1/talewick-check.1.gz share/man/man1/talewick.1.gz share/doc/talewick/copyright; do
    [ -f "$prefix/$file" ] || fail "$file is not installed"
done
for program in bin/talewick bin/talewick-check libexec/talewick/talewick-desktop; do
    [ -x "$prefix/$program" ] || fail "$program is not executable"
done
grep -qx "Exec=$prefix/libexec/talewick/talewick-desktop" "$prefix/share/applications/talewick.desktop" ||
    fail "the desktop entry does not start the installed launcher"
desktop-file-validate "$prefix/share/applications/talewick.desktop"
appstreamcli validate --no-net --pedantic "$prefix"/share/metainfo/*.xml >/dev/null ||
    appstreamcli validate --no-net "$prefix"/share/metainfo/*.xml

page="$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$prefix/share/man/man1/talewick-check.1.gz" 2>/dev/null)"
check="$prefix/bin/talewick-check"
grep -qF "$("$check" --version)" <<<"$page" ||
    fail "the manual page is not of this version"
codes="$(LC_ALL=C.UTF-8 "$check" --help | sed -n 's/^ *\(TW[0-9]*\) .*/\1/p')"
[ -n "$codes" ] || fail "talewick-check --help lists no rule"
for code in $codes; do
    summary="$(LC_ALL=C.UTF-8 "$check" --help | sed -n "s/^ *$code  *[a-z]*  *//p")"
    grep -qF "$summary" <<<"$page" || fail "the manual page lacks $code: $summary"
    if explanation="$(LC_ALL=C.UTF-8 "$check" --explain "$code" 2>/dev/null)"; then
        first="$(grep -m1 -v '^[[:space:]]*$' <<<"$explanation" | sed 's/^ *//')"
        grep -qF "$first" <<<"$page" || fail "the manual page lacks the explanation of $code"
    fi
done
echo "installed tree passed"
