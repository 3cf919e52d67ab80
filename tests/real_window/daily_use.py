"""Talewick as a person uses it every day, on a real X server with a window manager.

open-save PROGRAM SOURCE_ROOT: opens a script through File > 開く… (Ctrl+O) and the
    chooser, and saves it under another name through 名前を付けて保存… (Ctrl+Shift+S).
installed ROOT: starts the program unpacked from its package under ROOT through the
    desktop entry's own command, from an empty home folder; the installed help shows
    when the pointer moves over a group, and 保存 writes under ~/Talewick/npc.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

from desktop import MAIN_CAPTION, Desktop, TestFailure, wait_for

SCRIPT = "harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\r\n\tmes \"\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\";\r\n}\r\n"


def main_window(desktop):
    window = desktop.find_window(MAIN_CAPTION)
    desktop.activate(window)
    left, top, _, height = desktop.client_geometry(window)
    return window, left, top + height - 433


def choose_file(desktop, caption, path):
    """Types `path` into the chooser's name field, which has the focus, and takes it."""
    chooser = desktop.find_window(caption)
    desktop.activate(chooser)
    desktop.run(["xdotool", "type", "--delay", "20", path])
    desktop.key("Return")
    wait_for(f"the chooser '{caption}' to close", lambda: not desktop.run(
        ["xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(caption) + "$"], check=False).strip())


def no_error_dialog(desktop):
    found = desktop.run(["xdotool", "search", "--onlyvisible", "--name", r"^Talewick \(仮\)$"], check=False).strip()
    if found:
        raise TestFailure("an error dialog is open")


def open_and_save_as(program, source_root):
    artifacts = os.path.join(os.getcwd(), "artifacts", "daily_use")
    with Desktop(artifacts) as desktop:
        desktop.start_program(program, source_root)
        original = os.path.join(desktop.workdir, "npc", "npc_12-06_1730.txt")
        with open(original, "wb") as file:
            file.write(SCRIPT.encode("latin-1"))
        window, _, _ = main_window(desktop)
        desktop.key("ctrl+o")
        choose_file(desktop, "スクリプトを開く", original)
        desktop.activate(window)
        expected = SCRIPT.encode("latin-1").decode("cp932").replace("\r\n", "\n")
        text = desktop.copied(expected)
        if text != expected:
            raise TestFailure(f"editor holds {text!r} after opening, expected {expected!r}")
        desktop.key("ctrl+shift+s")
        desktop.screenshot("save_as_chooser.png")
        copy = os.path.join(desktop.workdir, "harbor")
        choose_file(desktop, "名前を付けて保存", copy)
        wait_for("the saved copy", lambda: os.path.exists(copy + ".txt"))
        with open(copy + ".txt", "rb") as file:
            saved = file.read()
        if saved != SCRIPT.encode("latin-1"):
            raise TestFailure(f"saved {saved!r}")
        no_error_dialog(desktop)
    print("open and save-as passed")


def desktop_command(root):
    with open(os.path.join(root, "usr/share/applications/talewick.desktop"), encoding="utf-8") as entry:
        command = re.search(r"^Exec=(\S+)", entry.read(), re.M).group(1)
    if not command.startswith("/usr/"):
        raise TestFailure(f"the desktop entry starts {command}, not an installed program")
    return root + command


def installed(root):
    artifacts = os.path.join(os.getcwd(), "artifacts", "installed")
    home = tempfile.mkdtemp(prefix="talewick-home-")
    try:
        with Desktop(artifacts) as desktop:
            log = open(os.path.join(artifacts, "program-output.txt"), "w")
            desktop.program_log = log
            desktop.program = subprocess.Popen([desktop_command(root)], cwd="/", env=dict(desktop.env, HOME=home),
                                               stdout=log, stderr=subprocess.STDOUT)
            window, left, top = main_window(desktop)
            if not os.path.isdir(os.path.join(home, "Talewick", "npc")):
                raise TestFailure("the launcher made no ~/Talewick/npc")
            # The pointer on the bare surface of "NPC情報入力": its installed help shows.
            desktop.run(["xdotool", "mousemove", "--sync", str(left + 8 + 472), str(top + 40)])
            desktop.run(["xdotool", "mousemove", "--sync", str(left + 8 + 474), str(top + 42)])
            with open(os.path.join(root, "usr/share/talewick/help/npc_info.txt"), "rb") as file:
                help_text = file.read().decode("cp932").replace("\r\n", "\n")
            no_error_dialog(desktop)
            desktop.click(left + 496 + 100, top + 40)
            text = desktop.copied(help_text)
            if text != help_text:
                raise TestFailure(f"help panel holds {text!r}")
            desktop.screenshot("installed.png", window)
            desktop.activate(window)
            desktop.key("alt+f", "Down", "Down", "Return")  # 新規, 開く…, 保存
            folder = os.path.join(home, "Talewick", "npc")
            wait_for("a saved script", lambda: os.listdir(folder))
            if not re.fullmatch(r"npc_\d\d-\d\d_\d{4}\.txt", os.listdir(folder)[0]):
                raise TestFailure(f"saved {os.listdir(folder)}")
            no_error_dialog(desktop)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    print("installed program passed")


if __name__ == "__main__":
    try:
        if sys.argv[1] == "open-save":
            open_and_save_as(sys.argv[2], sys.argv[3])
        else:
            installed(sys.argv[2])
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        sys.exit(1)
