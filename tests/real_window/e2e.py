"""End-to-end scenarios on a real X server, as a new user would use Talewick.

Run inside dbus-run-session so the accessibility tree is private to the run:
    dbus-run-session -- python3 e2e.py PROGRAM SOURCE_ROOT [SCENARIO...]
Each scenario starts the program in a fresh working directory; a failing one
leaves failure.png and program-output.txt under artifacts/e2e/<scenario>/.
"""
import glob
import os
import shutil
import subprocess
import sys
import time
import traceback

from desktop import Desktop, TestFailure, wait_for
from talewick_driver import Talewick

CR_LF = "\r\n"


def start(desktop, program, source_root, **options):
    desktop.start_program(program, source_root, extra_env={"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}, **options)
    return Talewick(desktop, source_root)


def expect(what, actual, expected):
    if actual != expected:
        raise TestFailure(f"{what}: got {actual!r}, expected {expected!r}")


def help_text_of(root, name):
    """A help file's text as the panel shows it."""
    with open(os.path.join(root, "help", name), "rb") as help_file:
        return help_file.read().decode("cp932").replace("\r\n", "\n")


def inside(inner, outer):
    x, y, width, height = inner
    left, top, outer_width, outer_height = outer
    return left <= x and top <= y and x + width <= left + outer_width and y + height <= top + outer_height


def overlap(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


def saved_script(desktop):
    """The bytes of the script that File > 保存 wrote."""
    saved = wait_for("the saved script", lambda: glob.glob(os.path.join(desktop.workdir, "npc", "npc_*.txt")))
    with open(saved[0], "rb") as script:
        return script.read()


def header_fields(app, map_name, x, y, facing, name, picture):
    app.fill("ComboBox8", map_name)
    app.pick("ComboBox1", facing)
    app.fill("Edit1", x)
    app.fill("Edit2", y)
    app.fill("Edit4", name)
    app.fill("Edit3", picture)


def write_menu(app, choices):
    """A menu from the buttons: "menu" for the first choice, "追加" for each further one, "終了"."""
    for index, (choice, label) in enumerate(choices):
        app.fill("Edit9", choice)
        app.fill("ComboBox2", label)
        app.press("Button7" if index == 0 else "Button8")
    app.press("Button9")


def write_label(app, label):
    app.fill("ComboBox2", label)
    app.press("Button10")


def write_warp(app, map_name, x, y):
    app.fill("ComboBox6", map_name)
    app.fill("Edit7", x)
    app.fill("Edit8", y)
    app.press("Button5")


def scenario_whole_npc(desktop, program, root):
    app = start(desktop, program, root)
    # The header from the keyboard, in the group's tab order: x, y, facing, picture,
    # name, the button, the map; Space presses the button.
    app.click("Edit1", dx=6)
    desktop.type("120")
    desktop.key("Tab")
    desktop.type("85")
    desktop.key("Tab", "Home", *(["Down"] * 6), "Tab")
    desktop.type("56")
    desktop.key("Tab")
    desktop.type("Ferryman")
    desktop.key("Tab", "Tab")
    desktop.type("harbor01")
    wait_for("the map typed after Tab", lambda: app.text_of("ComboBox8") == "harbor01")
    desktop.key("shift+Tab", "space")
    app.press("Button19")
    app.fill("Edit5", "川を渡りますか?")
    app.press("Button2")
    app.press("Button3")
    app.fill("Edit5", "どこへ行く?")
    app.press("Button2")
    write_menu(app, [("Town", "L_Town"), ("Lake", "L_Lake"), ("Stay", "L_Stay")])
    write_label(app, "L_Town")
    write_warp(app, "harbor02", "33", "41")
    write_label(app, "L_Lake")
    app.fill("Edit13", "500")
    app.press("Button16")
    app.fill("ComboBox7", "607")
    app.press("Button18")
    expect("count field after the item button", app.text_of("Edit6"), "1")
    write_label(app, "L_Stay")
    app.press("Button4")
    app.press("Button6")
    lines = ["harbor01.tsg,120,85,6\tscript\tFerryman\t56,{", "\tmes \"[Ferryman]\";", "\tmes \"川を渡りますか?\";",
             "\tnext;", "\tmes \"どこへ行く?\";", "\tmenu \"Town\",L_Town,\"Lake\",L_Lake,\"Stay\",L_Stay;",
             "L_Town:", "\twarp \"harbor02\",33,41;", "L_Lake:", "\theal 500,0;", "\tadditem 607,1;", "L_Stay:",
             "\tclose;", "}"]
    app.wait_editor("\n".join(lines) + "\n")
    expect("remembered labels", app.list_entries("ComboBox2"), ["L_Town", "L_Lake", "L_Stay"])

    app.choose_menu("alt+f", 2)  # File > 保存
    saved = wait_for("the saved script", lambda: sorted(glob.glob(os.path.join(desktop.workdir, "npc", "npc_*.txt"))))
    newest = saved[-1]
    expected = (CR_LF.join(lines) + CR_LF).encode("cp932")
    wait_for("the whole file", lambda: open(newest, "rb").read() == expected, timeout=5)
    expect("saved name", len(os.path.basename(newest)), len("npc_08-03_2107.txt"))
    menu_help = help_text_of(root, "npc_menu.txt")
    app.move_to("GroupBox5", dx=145, dy=110)
    wait_for("the menu help", lambda: app.help_text() == menu_help)
    desktop.screenshot("using-1-composed.png", app.window)


def start_ferryman(desktop, program, root):
    """The ferryman composed with the buttons: a message, a menu of two choices,
    and the "Town" branch with its warp; the "Lake" branch is left to the scenario."""
    app = start(desktop, program, root)
    header_fields(app, "harbor01", "120", "85", 6, "Ferryman", "56")
    app.press("Button1")
    app.fill("Edit5", "どこへ行く?")
    app.press("Button2")
    write_menu(app, [("Town", "L_Town"), ("Lake", "L_Lake")])
    write_label(app, "L_Town")
    write_warp(app, "harbor02", "33", "41")
    return app


def scenario_checker(desktop, program, root):
    app = start_ferryman(desktop, program, root)
    app.press("Button6")
    app.wait_editor("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n\tmes \"どこへ行く?\";\n"
                           "\tmenu \"Town\",L_Town,\"Lake\",L_Lake;\nL_Town:\n\twarp \"harbor02\",33,41;\n}\n")
    # No label "L_Lake" was written: resting on the jump shows what is wrong.
    app.hover_text("Memo1", app.editor_text().index("L_Lake"))
    tooltip = app.tooltip_text()
    expect("tooltip over the jump names the label and the rule",
           ("L_Lake" in tooltip, tooltip.endswith("[TW206]")), (True, True))
    desktop.screenshot_around("using-4-checker.png", app.window, right=150)
    # The label typed into the editor before the "}" clears it, and the saved script
    # passes the command-line check.
    app.click("Memo1")
    desktop.key("ctrl+End", "Up")
    desktop.type("L_Lake:")
    desktop.key("Return")
    desktop.type("\tclose;")
    desktop.key("Return")
    app.wait_editor("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n\tmes \"どこへ行く?\";\n"
                    "\tmenu \"Town\",L_Town,\"Lake\",L_Lake;\nL_Town:\n\twarp \"harbor02\",33,41;\n"
                    "L_Lake:\n\tclose;\n}\n")
    app.hover_text("Memo1", app.editor_text().index("L_Lake"))
    time.sleep(1.5)
    expect("tooltip once the label exists", app.find_accessible(
        lambda node: node.getRoleName() == "tool tip" and node.name, root=app.app), None)
    app.choose_menu("alt+f", 2)  # File > 保存
    saved = wait_for("the saved script", lambda: glob.glob(os.path.join(desktop.workdir, "npc", "npc_*.txt")))
    check = subprocess.run([os.path.join(os.path.dirname(program), "talewick-check"), saved[0]],
                           capture_output=True, text=True, timeout=30)
    expect("talewick-check on the saved script", (check.returncode, check.stdout), (0, ""))


def scenario_shop(desktop, program, root):
    app = start(desktop, program, root)
    header_fields(app, "harbor01", "130", "90", 4, "Tool Dealer", "83")
    app.fill("ComboBox10", "501")
    app.fill("Edit10", "50")
    app.press("Button20")
    app.fill("ComboBox10", "502")
    app.fill("Edit10", "200")
    app.press("Button21")
    app.fill("ComboBox10", "503")
    app.fill("Edit10", "1200")
    app.press("Button21")
    app.wait_editor("harbor01.tsg,130,90,4\tshop\tTool Dealer\t83,501:50,502:200,503:1200\n")
    expect("remembered items", app.list_entries("ComboBox10"), ["501", "502", "503"])
    expect("map box untouched by the shop", app.list_entries("ComboBox8"), [])


def scenario_completion(desktop, program, root):
    app = start(desktop, program, root)
    app.fill("ComboBox8", "harbor01")
    app.press("Button1")
    app.click("ComboBox8", dx=6)
    desktop.key("ctrl+a", "BackSpace")
    desktop.type("h")
    wait_for("the completed map", lambda: app.text_of("ComboBox8") == "harbor01")
    app.press("Button1")
    app.wait_editor(".tsg,,,0\tscript\t\t,{\n".replace(".tsg", "harbor01.tsg") * 2)
    expect("map list", app.list_entries("ComboBox8"), ["harbor01"])


def scenario_job_by_typing(desktop, program, root):
    app = start(desktop, program, root)
    app.click("ComboBox4")  # opens the list; Escape closes it and leaves the focus in the box
    desktop.key("Escape")
    desktop.run(["xdotool", "type", "--delay", "80", "mo"])
    wait_for("Monk", lambda: app.accessible("ComboBox4").name == "Monk")
    app.press("Button14")
    app.wait_editor("\tjobchage 15;\n")


def scenario_help_panel(desktop, program, root):
    app = start(desktop, program, root)
    info = help_text_of(root, "npc_info.txt")
    app.move_to("GroupBox1", dx=472, dy=40)
    wait_for("the NPC help", lambda: app.help_text() == info)
    app.move_to("Label6")
    wait_for("the picture notice", lambda: app.help_text() == "クリックするとNPC一覧表示")
    app.move_to("Edit4")
    time.sleep(0.3)  # nothing is expected to change: give it a moment to go wrong
    expect("panel over the NPC name field", app.help_text(), "クリックするとNPC一覧表示")
    app.move_to("GroupBox1", dx=472, dy=40)
    wait_for("the NPC help again", lambda: app.help_text() == info)
    app.move_to("GroupBox9", dx=150, dy=60)
    time.sleep(0.3)
    expect("panel over Heal", app.help_text(), info)
    desktop.screenshot("using-2-help.png", app.window)

    shutil.rmtree(os.path.join(desktop.workdir, "help"))
    app.move_to("GroupBox1", dx=472, dy=40)
    caption, text = app.error_dialog()
    expect("error dialog caption", caption, "Talewick (仮)")
    expect("error dialog text", text, "ファイル help/npc_info.txt は開けません.")
    desktop.run(["xdotool", "mousemove", "--sync", "5", "5"])
    desktop.key("Return")
    wait_for("the dialog to close", app.no_error_dialog)
    app.fill("Edit5", "still here")
    app.press("Button2")
    app.wait_editor("\tmes \"still here\";\n")


def scenario_no_npc_folder(desktop, program, root):
    app = start(desktop, program, root, with_npc=False)
    app.click("Memo1")
    desktop.type("\tmes \"keep me\";")
    app.choose_menu("alt+f", 2)  # File > 保存
    caption, text = app.error_dialog()
    expect("caption", caption, "Talewick (仮)")
    if not (text.startswith("ファイル npc/npc_") and text.endswith(".txt を作成できません.")):
        raise TestFailure(f"error dialog says {text!r}")
    desktop.key("Return")
    wait_for("the dialog to close", app.no_error_dialog)
    expect("npc folder", os.path.exists(os.path.join(desktop.workdir, "npc")), False)
    app.wait_editor("\tmes \"keep me\";")


def scenario_about_box(desktop, program, root):
    app = start(desktop, program, root)
    app.choose_menu("alt+h", 0)
    about = desktop.find_window("バージョン情報")

    def placed_and_centred():
        left, top, width, height = desktop.client_geometry(about)
        frame = desktop.run(["xprop", "-id", about, "_NET_FRAME_EXTENTS"], check=False)
        if "=" not in frame:
            return None
        frame_left, frame_right, frame_top, frame_bottom = (int(v) for v in frame.split("=")[1].split(","))
        outer = (width + frame_left + frame_right, height + frame_top + frame_bottom)
        place = (left - frame_left, top - frame_top)
        return place == ((1280 - outer[0]) // 2, (1024 - outer[1]) // 2) or (place, outer)
    # The box puts itself right once the window manager has told it its frame.
    try:
        wait_for("the About box centred", lambda: placed_and_centred() is True, timeout=5)
    except TestFailure:
        raise TestFailure(f"About box place and outer size: {placed_and_centred()}")
    desktop.screenshot("using-3-about.png", about)
    # The window manager is told the box keeps its size and offers no maximising.
    hints = desktop.run(["xprop", "-id", about, "WM_NORMAL_HINTS"])
    for size in ("minimum size: 298 by 171", "maximum size: 298 by 171"):
        if size not in hints:
            raise TestFailure(f"size hints lack {size!r}: {hints}")
    actions = desktop.run(["xprop", "-id", about, "_NET_WM_ALLOWED_ACTIONS"])
    offered = [action for action in ("MAXIMIZE_HORZ", "MAXIMIZE_VERT", "RESIZE") if "_NET_WM_ACTION_" + action in actions]
    expect("maximise and resize offered by the frame", offered, [])
    if "_NET_WM_ACTION_CLOSE" not in actions:
        raise TestFailure(f"the frame offers no close: {actions}")
    motif = desktop.run(["xprop", "-id", about, "_MOTIF_WM_HINTS"]).split("=")[1].split(",")
    expect("motif minimise and maximise functions", int(motif[1], 16) & (0x08 | 0x10), 0)
    # A double click on the title bar maximises a window under openbox; not this one.
    left, top, width, height = desktop.client_geometry(about)
    desktop.run(["xdotool", "mousemove", "--sync", str(left + 40), str(top - 10), "click", "--repeat", "2", "1"])
    time.sleep(0.5)
    expect("size after a double click on the title bar", desktop.client_geometry(about)[2:], (298, 171))
    desktop.activate(about)
    desktop.key("Escape")
    time.sleep(0.3)
    desktop.find_window("バージョン情報", timeout=2)
    desktop.key("Return")
    wait_for("the About box to hide", lambda: not desktop.run(
        ["xdotool", "search", "--onlyvisible", "--name", "^バージョン情報$"], check=False).strip())
    app.fill("Edit5", "usable")
    app.press("Button2")
    app.wait_editor("\tmes \"usable\";\n")

    app.choose_menu("alt+h", 0)
    desktop.find_window("バージョン情報")
    app.press("Button3")  # the main window takes clicks while the box is shown
    app.wait_editor("\tmes \"usable\";\n\tnext;\n")
    desktop.activate(app.window)
    desktop.key("alt+F4")
    expect("exit status with the About box shown", desktop.wait_exit(), 0)


def scenario_new_and_exit(desktop, program, root):
    app = start(desktop, program, root)
    app.fill("ComboBox8", "harbor01")
    app.press("Button1")
    app.fill("ComboBox7", "607")
    app.press("Button18")
    app.wait_editor("harbor01.tsg,,,0\tscript\t\t,{\n\tadditem 607,1;\n")
    app.choose_menu("alt+f", 0)  # File > 新規
    app.wait_editor("")
    expect("map list after 新規", app.list_entries("ComboBox8"), ["harbor01"])
    expect("item list after 新規", app.list_entries("ComboBox7"), ["607"])
    app.choose_menu("alt+f", 4)  # File > 終了
    expect("exit status", desktop.wait_exit(), 0)


def scenario_captions(desktop, program, root):
    """Every tab and every label stands whole on screen, clear of its neighbours."""
    app = start(desktop, program, root)
    control = app.screen_rect("PageControl1")
    labels = {name for name, role in app.layout.roles.items() if role == "label"}
    checked = set()
    for page in range(4):
        if page:
            app.click_tab(page)  # each tab is there for the mouse
        tabs = app.page_tabs()
        expect("tab captions", [caption for caption, _ in tabs], ["1Page", "2Page", "3Page", "4Pege"])
        for caption, rect in tabs:
            if not inside(rect, control):
                raise TestFailure(f"tab {caption} at {rect} is not inside the tab control at {control}")
        arrows = [node.name for node, _ in app.showing({"push button"}) if node.name.startswith("Scroll")]
        expect("scroll arrows in the tab row", arrows, [])

        controls = app.showing({"push button", "text", "combo box", "label"})
        groups = [rect for _, rect in app.showing({"panel"})]
        for name in sorted(labels):
            label_page, _, _, width, _ = app.layout.controls[name]
            if label_page not in (None, page):
                continue
            place = app.screen_rect(name)[:2]
            rect = next((rect for node, rect in controls if node.getRoleName() == "label" and rect[:2] == place), None)
            if rect is None:
                raise TestFailure(f"no label {name} at {place}")
            if rect[2] > width:
                raise TestFailure(f"{name} is {rect[2]} pixels wide, wider than its {width}")
            covered = [node.name or node.getRoleName() for node, other in controls
                       if other != rect and overlap(rect, other)]
            expect(f"controls overlapping {name}", covered, [])
            if not any(inside(rect, group) for group in groups):
                raise TestFailure(f"{name} at {rect} sticks out of its group")
            checked.add(name)
        desktop.screenshot(f"captions-page-{page + 1}.png", app.window)
    expect("labels checked", sorted(checked), sorted(labels))


def scenario_line_breaks(desktop, program, root):
    """Shift+Enter, Ctrl+Enter and pasted separators all break the line for real."""
    app = start(desktop, program, root)
    app.click("Memo1")
    desktop.type("\tmes \"a\";")
    desktop.key("shift+Return")
    desktop.type("\tnext;")
    desktop.key("ctrl+Return")
    desktop.type("\tclose;")
    desktop.set_clipboard("\u2028}\u2029L_End")
    desktop.key("ctrl+v")
    app.press("Button9")  # "終了" extends the last line only
    lines = ["\tmes \"a\";", "\tnext;", "\tclose;", "}", "L_End;"]
    app.wait_editor("\n".join(lines))
    app.choose_menu("alt+f", 2)  # File > 保存
    expect("saved script", saved_script(desktop), CR_LF.join(lines).encode("cp932"))


def scenario_long_text(desktop, program, root):
    """A pasted message of 100,000 characters reaches the script whole."""
    app = start(desktop, program, root)
    message = "x" * 99_999 + "Z"
    app.click("Edit5", dx=6)
    desktop.set_clipboard(message)
    desktop.key("ctrl+v")
    app.press("Button2")
    app.choose_menu("alt+f", 2)  # File > 保存
    saved, expected = saved_script(desktop), ("\tmes \"" + message + "\";" + CR_LF).encode("cp932")
    expect("saved script's length and end", (len(saved), saved[-8:]), (len(expected), expected[-8:]))
    expect("saved script", saved == expected, True)


def scenario_stuck_conversation(desktop, program, root):
    app = start_ferryman(desktop, program, root)
    write_label(app, "L_Lake")
    app.fill("Edit5", "湖は今日は荒れている。")
    app.press("Button2")
    app.press("Button6")
    expected = ("harbor01.tsg,120,85,6\tscript\tFerryman\t56,{\n\tmes \"どこへ行く?\";\n"
                "\tmenu \"Town\",L_Town,\"Lake\",L_Lake;\nL_Town:\n\twarp \"harbor02\",33,41;\n"
                "L_Lake:\n\tmes \"湖は今日は荒れている。\";\n}\n")
    app.wait_editor(expected)
    # The "Lake" branch ends with "end;" where "close;" belongs: once typing pauses,
    # the end the player is stuck at is underlined.
    app.click("Memo1")
    desktop.key("ctrl+End", "Up")
    desktop.type("\tend;")
    desktop.key("Return")
    app.wait_editor(expected.replace("\n}\n", "\n\tend;\n}\n"))
    time.sleep(0.8)
    desktop.screenshot_around("using-5-flow.png", app.window)
    app.choose_menu("alt+f", 2)  # File > 保存
    saved = wait_for("the saved script", lambda: glob.glob(os.path.join(desktop.workdir, "npc", "npc_*.txt")))
    # The diff keeps the file's own bytes (code page 932).
    check = subprocess.run([os.path.join(os.path.dirname(program), "talewick-check"), "--fix", saved[0]],
                           capture_output=True, timeout=30)
    expect("talewick-check --fix adds the close", b"+\tclose; end;" in check.stdout, True)
    report = subprocess.run([os.path.join(os.path.dirname(program), "talewick-check"), saved[0]],
                            capture_output=True, text=True, timeout=30)
    expect("talewick-check reports the stuck player", (report.returncode, report.stdout.count("[TW501]")), (1, 1))


def preview_parts(app, preview):
    """The message box's text, its page button's caption and the choices, as the
    accessibility tree gives them."""
    def named(role, name=None):
        return app.find_accessible(lambda node: node.getRoleName() == role and (name is None or node.name == name),
                                   root=preview)
    message = wait_for("the message box", lambda: app.find_accessible(
        lambda node: node.name == "メッセージ", root=preview))
    buttons = [name for name in ("次へ", "閉じる") if named("push button", name) is not None and
               named("push button", name).queryComponent().getExtents(0).width > 0]
    choices = app.find_accessible(lambda node: node.name == "選択肢", root=preview)
    items = []
    if choices is not None and choices.queryComponent().getExtents(0).width > 0:
        items = [child.name for child in choices if child is not None]
    return message.description, buttons, items


def click_accessible(desktop, node):
    extents = node.queryComponent().getExtents(0)
    desktop.click(extents.x + extents.width // 2, extents.y + extents.height // 2)


def scenario_conversation_preview(desktop, program, root):
    app = start(desktop, program, root)
    header_fields(app, "harbor01", "120", "85", 6, "Ferryman", "56")
    app.press("Button1")
    app.fill("Edit5", "^0000FF川^000000を渡りますか?")
    app.press("Button2")
    app.press("Button3")
    app.fill("Edit5", "どこへ行く?")
    app.press("Button2")
    write_menu(app, [("Town", "L_Town"), ("Stay", "L_Stay")])
    write_label(app, "L_Town")
    app.fill("Edit5", "町へ行こう")
    app.press("Button2")
    app.press("Button4")
    write_label(app, "L_Stay")
    app.fill("Edit5", "またね")
    app.press("Button2")
    app.press("Button4")
    app.press("Button6")
    app.wait_editor("\n".join([
        "harbor01.tsg,120,85,6\tscript\tFerryman\t56,{", "\tmes \"^0000FF川^000000を渡りますか?\";", "\tnext;",
        "\tmes \"どこへ行く?\";", "\tmenu \"Town\",L_Town,\"Stay\",L_Stay;", "L_Town:", "\tmes \"町へ行こう\";",
        "\tclose;", "L_Stay:", "\tmes \"またね\";", "\tclose;", "}"]) + "\n")

    app.click("Memo1", dx=40, dy=30)  # the cursor into the NPC's second line
    desktop.key("F5")
    window = desktop.find_window("会話プレビュー — Ferryman")
    preview = wait_for("the preview's accessible", lambda: app.find_accessible(
        lambda node: node.name == "会話プレビュー — Ferryman", root=app.app))
    for choice, said in (("Town", "町へ行こう"), ("Stay", "またね")):
        wait_for("the first page", lambda: preview_parts(app, preview) == ("川を渡りますか?", ["次へ"], []))
        click_accessible(desktop, app.find_accessible(
            lambda node: node.getRoleName() == "push button" and node.name == "次へ", root=preview))
        wait_for("the menu", lambda: preview_parts(app, preview) == ("どこへ行く?", [], ["Town", "Stay"]))
        if choice == "Town":
            desktop.screenshot("using-5-preview.png", window)
        click_accessible(desktop, app.find_accessible(
            lambda node: node.getRoleName() == "list item" and node.name == choice, root=preview))
        # After a choice the window keeps its text: the next message adds a line.
        wait_for(f"the page after {choice}",
                 lambda: preview_parts(app, preview) == ("どこへ行く?\n" + said, ["閉じる"], []))
        click_accessible(desktop, app.find_accessible(
            lambda node: node.getRoleName() == "push button" and node.name == "閉じる", root=preview))
        wait_for("the end", lambda: app.find_accessible(
            lambda node: node.getRoleName() == "label" and node.name.startswith("会話が終わりました"), root=preview))
        click_accessible(desktop, app.find_accessible(
            lambda node: node.getRoleName() == "push button" and node.name == "最初から", root=preview))


SCENARIOS = [scenario_whole_npc, scenario_shop, scenario_completion, scenario_job_by_typing, scenario_help_panel,
             scenario_no_npc_folder, scenario_about_box, scenario_new_and_exit, scenario_checker, scenario_captions,
             scenario_line_breaks, scenario_long_text, scenario_stuck_conversation, scenario_conversation_preview]


def main(program, source_root, wanted):
    artifacts = os.path.join(os.getcwd(), "artifacts", "e2e")
    shutil.rmtree(artifacts, ignore_errors=True)
    # The accessibility bus of this private session.
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    failures = []
    try:
        for scenario in SCENARIOS:
            name = scenario.__name__.removeprefix("scenario_")
            if wanted and name not in wanted:
                continue
            started = time.monotonic()
            try:
                with Desktop(os.path.join(artifacts, name)) as desktop:
                    scenario(desktop, program, source_root)
                reports = desktop.sanitizer_reports()
                if reports:
                    raise TestFailure("sanitizer report: " + "; ".join(reports[:3]))
                print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
            except Exception as failure:
                failures.append(name)
                print(f"FAIL {name}: {failure}", flush=True)
                traceback.print_exc()
    finally:
        bus.terminate()
    for png in glob.glob(os.path.join(artifacts, "*", "using-*.png")):
        shutil.copy(png, artifacts)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
