"""Starts the built program on a real X server, types into the script editor,
reads it back through the clipboard and ends it through File > 終了."""
import os
import sys

from desktop import MAIN_CAPTION, Desktop, TestFailure, wait_for


def main(program, source_root):
    artifacts = os.path.join(os.getcwd(), "artifacts", "smoke")
    with Desktop(artifacts) as desktop:
        desktop.start_program(program, source_root)
        window = desktop.find_window(MAIN_CAPTION)
        desktop.activate(window)
        _, _, width, height = desktop.client_geometry(window)
        menu_bar = height - 433
        if width != 711 or not 15 <= menu_bar <= 40:
            raise TestFailure(f"client area is {width} x {height}, expected 711 x 433 below a menu bar")

        # The script editor has the focus at start: Tab is a character, Enter a line break.
        desktop.type("harbor01\tscript")
        desktop.key("Return")
        desktop.type("\tmes \"こんにちは\";")
        expected = "harbor01\tscript\n\tmes \"こんにちは\";"
        text = desktop.copied(expected)
        if text != expected:
            raise TestFailure(f"editor holds {text!r}, expected {expected!r}")
        desktop.key("ctrl+End")

        # The pointer on the bare surface of "NPC情報入力" (right of its button) shows its help.
        left, top, _, _ = desktop.client_geometry(window)
        desktop.run(["xdotool", "mousemove", "--sync", str(left + 8 + 472), str(top + menu_bar + 40)])
        desktop.screenshot("main_window.png", window)

        # Help > バージョン情報 shows the About box; Enter hides it again.
        desktop.key("alt+h")
        desktop.key("Return")
        about = desktop.find_window("バージョン情報")
        desktop.screenshot("about_box.png", about)
        desktop.key("Return")
        wait_for("the About box to hide", lambda: not desktop.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^バージョン情報$"], check=False).strip())
        desktop.activate(window)

        desktop.key("alt+f")
        wait_for("the File menu", lambda: desktop.run(["xdotool", "search", "--onlyvisible", "--class", "talewick"],
                                                      check=False).count("\n") >= 2)
        desktop.key("Up", "Return")
        status = desktop.wait_exit()
        if status != 0:
            raise TestFailure(f"exit status {status}, expected 0")
    reports = desktop.sanitizer_reports()
    if reports:
        raise TestFailure("sanitizer report: " + "; ".join(reports[:3]))
    print("real-window smoke test passed")


if __name__ == "__main__":
    try:
        main(sys.argv[1], sys.argv[2])
    except TestFailure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        sys.exit(1)
