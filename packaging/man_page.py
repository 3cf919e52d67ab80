#!/usr/bin/env python3
"""Writes the manual page of talewick-check from the built program's own texts:
its --help, its --version and, for every rule code the help lists, its --explain
CODE when the program knows that option. The page cannot drift from the program.

Usage: man_page.py PROGRAM OUTPUT
"""
import datetime
import os
import re
import subprocess
import sys

RULE = re.compile(r"^\s+(TW\d+)\s")
# A line that opens a section: a heading without blanks, then ":" and maybe text.
HEADING = re.compile(r"^(\S+?)[:：]\s*(.*)$")
TERM = re.compile(r"^\s+(\S(?:.*?\S)?)\s{2,}(\S.*)$")


def run(program, *arguments):
    result = subprocess.run([program, *arguments], capture_output=True, text=True,
                            encoding="utf-8", env=dict(os.environ, LC_ALL="C.UTF-8"))
    return result.returncode, result.stdout


def escaped(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text.startswith((".", "'")) else text


def blocks(text):
    block = []
    for line in text.splitlines():
        if line.strip():
            block.append(line.rstrip())
        elif block:
            yield block
            block = []
    if block:
        yield block


def rendered_lines(lines):
    """Plain lines become paragraphs as the help breaks them, indented ones a term list
    or literal lines, in order."""
    out = []
    runs = []
    for line in lines:
        indented = line.startswith(" ")
        if runs and runs[-1][0] == indented:
            runs[-1][1].append(line)
        else:
            runs.append((indented, [line]))
    for indented, run_lines in runs:
        terms = [TERM.match(line) for line in run_lines] if indented else []
        if not indented:
            # The help breaks its Japanese lines itself; groff finds no place to.
            out += [".PP", ".nf", *(escaped(line.strip()) for line in run_lines), ".fi"]
        elif all(terms):
            for term in terms:
                out += [".TP", "\\fB" + escaped(term.group(1)) + "\\fR",
                        escaped(re.sub(r"\s{2,}", " ", term.group(2)))]
        else:
            out += [".PP", ".nf", *(escaped(line.strip()) for line in run_lines), ".fi"]
    return out


def rendered(text, sections=True):
    """The help's blocks; one that begins "見出し:" opens a section. An explanation,
    inside the section of its rule, opens none."""
    out = []
    for block in blocks(text):
        heading = HEADING.match(block[0]) if sections else None
        if heading and not block[0].startswith(" "):
            out.append(".SH " + escaped(heading.group(1)))
            rest = [heading.group(2)] if heading.group(2) else []
            body = rest + [line.strip() for line in block[1:]] if rest else block[1:]
            if rest:
                out += [".nf", *(escaped(line) for line in body), ".fi"]
            else:
                out += rendered_lines(body)
        else:
            out += rendered_lines(block)
    return out


def main():
    program, output = sys.argv[1], sys.argv[2]
    status, help_text = run(program, "--help")
    if status != 0 or not help_text:
        sys.exit(f"{program} --help failed")
    _, version = run(program, "--version")
    codes = [m.group(1) for m in map(RULE.match, help_text.splitlines()) if m]
    explained = []
    for code in codes:
        status, explanation = run(program, "--explain", code)
        if status == 0 and explanation.strip():
            explained += [".SS " + code, *rendered(explanation, sections=False)]

    stamp = datetime.datetime.fromtimestamp(int(os.environ.get("SOURCE_DATE_EPOCH", "0")) or
                                            os.path.getmtime(program), datetime.timezone.utc)
    page = [
        f'.TH TALEWICK\\-CHECK 1 "{stamp:%Y-%m-%d}" "{escaped(version.strip())}" "Talewick"',
        # Japanese has no blanks to stretch or to hyphenate at.
        ".ad l",
        ".nh",
        ".SH NAME",
        "talewick\\-check \\- NPC スクリプトを調べ、ゲームサーバーが拒む誤りを知らせる",
        *rendered(help_text),
    ]
    if explained:
        page += [".SH 規則の説明", *explained]
    with open(output, "w", encoding="utf-8") as file:
        file.write("\n".join(page) + "\n")


if __name__ == "__main__":
    main()
