"""Drives a running Talewick through the window system only, as a person would.

Places come from the layout file (resources/tform1.ui) and the window's client
origin on screen; texts are read through the accessibility tree, the way a
screen reader reads them. Nothing here talks to the program directly.
"""
import os
import xml.etree.ElementTree as ElementTree

import pyatspi

from desktop import MAIN_CAPTION, TestFailure, wait_for

# On each page, a field whose click only places the caret: it tells which page shows
# and puts the focus inside the tab control.
PAGE_OF_FIELD = {0: "Edit5", 1: "Edit9", 2: "ComboBox7", 3: "Edit10"}
PAGE_NAMES = ["TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4"]
ROLE_OF_CLASS = {"QLineEdit": "text", "QPlainTextEdit": "text", "ScriptEditor": "text", "QComboBox": "combo box",
                 "QPushButton": "push button", "QGroupBox": "panel", "QLabel": "label"}


class Layout:
    """Geometry of every named control, relative to the main window's client area
    below the menu bar, or to its tab page."""

    def __init__(self, ui_file):
        self.controls = {}
        self.roles = {}
        root = ElementTree.parse(ui_file).getroot()
        central = root.find(".//widget[@name='centralwidget']")
        self._walk(central, 0, 0, None)

    def _walk(self, element, x, y, page):
        for child in element.findall("widget"):
            name = child.get("name")
            rect = child.find("./property[@name='geometry']/rect")
            if rect is None:  # a tab page: its children are measured from the page
                self._walk(child, 0, 0, PAGE_NAMES.index(name))
                continue
            left, top, width, height = (int(rect.find(k).text) for k in ("x", "y", "width", "height"))
            self.controls[name] = (page, x + left, y + top, width, height)
            self.roles[name] = ROLE_OF_CLASS.get(child.get("class"))
            self._walk(child, x + left, y + top, page)


class Talewick:
    def __init__(self, desktop, source_root):
        self.desktop = desktop
        self.layout = Layout(os.path.join(source_root, "resources", "tform1.ui"))
        self.window = desktop.find_window(MAIN_CAPTION)
        desktop.activate(self.window)
        self.app = wait_for("the program in the accessibility tree", self._find_application, timeout=20)
        self.frame = wait_for("the main window's accessible", lambda: self._child_named(self.app, MAIN_CAPTION))
        self.refresh_origin()

    # --- finding things -------------------------------------------------------
    def _find_application(self):
        pid = self.desktop.program.pid
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() == pid and app.childCount > 0:
                    return app
            except Exception:
                continue
        return None

    @staticmethod
    def _child_named(node, name):
        for child in node:
            if child is not None and child.name == name:
                return child
        return None

    def refresh_origin(self):
        left, top, _, height = self.desktop.client_geometry(self.window)
        self.client = (left, top + height - 433)  # the menu bar sits above the laid-out area
        stack = wait_for("the tab pages", lambda: self.find_accessible(
            lambda node: node.getRoleName() == "layered pane"))
        extents = stack.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        self.page_origin = (extents.x, extents.y)

    def find_accessible(self, predicate, root=None):
        """The first accessible below `root` for which `predicate` holds. Nodes that
        vanish or refuse a question while the tree changes are passed over."""
        def holds(node):
            try:
                return predicate(node)
            except Exception:
                return False

        def children(node):
            try:
                return [child for child in node if child is not None]
            except Exception:
                return []

        def walk(node, depth):
            if holds(node):
                return node
            if depth > 14:
                return None
            for child in children(node):
                found = walk(child, depth + 1)
                if found is not None:
                    return found
            return None
        return walk(root or self.frame, 0)

    def screen_rect(self, name):
        page, x, y, width, height = self.layout.controls[name]
        if page is None:
            return self.client[0] + x, self.client[1] + y, width, height
        return self.page_origin[0] + x, self.page_origin[1] + y, width, height

    def accessible(self, name, timeout=5):
        """The accessible of the control's kind that sits exactly where the layout puts it."""
        rect = self.screen_rect(name)
        role = self.layout.roles[name]

        def here(node):
            if node.getRoleName() != role:
                return False
            extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            return (extents.x, extents.y, extents.width, extents.height) == rect
        return wait_for(f"the accessible of {name}", lambda: self.find_accessible(here), timeout=timeout)

    # --- reading ----------------------------------------------------------------
    def text_of(self, name):
        self.show_page_of(name)
        node = self.accessible(name)
        if node.getRoleName() == "combo box":
            for child in node:
                if child is not None and child.getRoleName() == "text":
                    node = child
                    break
            else:
                return node.name
        text = node.queryText()
        return text.getText(0, text.characterCount)

    def list_entries(self, name):
        self.show_page_of(name)
        node = self.accessible(name)
        for child in node:
            if child is not None and child.getRoleName() == "list":
                return [item.name for item in child if item is not None]
        return []

    def showing(self, roles):
        """(node, (x, y, width, height)) of every accessible of these roles that
        takes room on screen: the controls of hidden pages have none."""
        found = []

        def walk(node, depth):
            try:
                role = node.getRoleName()
                if role in roles:
                    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                    if extents.width > 0 and extents.height > 0:
                        found.append((node, (extents.x, extents.y, extents.width, extents.height)))
                children = [child for child in node if child is not None]
            except Exception:
                return
            if depth < 14:
                for child in children:
                    walk(child, depth + 1)
        walk(self.frame, 0)
        return found

    def page_tabs(self):
        """(caption, rectangle) of each tab of the tab control, in order."""
        tabs = [(node.name, rect) for node, rect in self.showing({"page tab"})]
        return sorted(tabs, key=lambda tab: tab[1][0])

    def click_tab(self, page):
        """Clicks the tab of a page as a mouse user does, in the middle of its rectangle."""
        _, (x, y, width, height) = self.page_tabs()[page]
        self.desktop.click(x + width // 2, y + height // 2)
        wait_for(f"page {page + 1}", lambda: self.current_page() == page)

    def editor_text(self):
        return self.text_of("Memo1")

    def help_text(self):
        return self.text_of("Memo2")

    def wait_editor(self, expected, timeout=5):
        try:
            return wait_for("the script editor's text", lambda: self.editor_text() == expected, timeout)
        except TestFailure:
            raise TestFailure(f"editor holds {self.editor_text()!r}, expected {expected!r}")

    def error_dialog(self, timeout=10):
        """(caption, text) of the error dialog once it is shown."""
        def alert():
            return self.find_accessible(lambda node: node.getRoleName() == "alert", root=self.app)
        dialog = wait_for("the error dialog", alert, timeout)
        label = self.find_accessible(lambda node: node.getRoleName() == "label" and node.name, root=dialog)
        return dialog.name, (label.name if label is not None else "")

    def no_error_dialog(self):
        return self.find_accessible(lambda node: node.getRoleName() == "alert", root=self.app) is None

    # --- acting -------------------------------------------------------------------
    def current_page(self):
        for page, field in PAGE_OF_FIELD.items():
            try:
                self.accessible(field, timeout=0)
                return page
            except TestFailure:
                continue
        raise TestFailure("no tab page is showing")

    def show_page_of(self, name):
        page = self.layout.controls[name][0]
        if page is None:
            return
        current = self.current_page()
        if current == page:
            return
        # Ctrl+Tab moves between pages while the focus is inside the tab control.
        self.click(PAGE_OF_FIELD[current], dx=6)
        self.desktop.key(*(["ctrl+Tab"] * ((page - current) % 4)))
        wait_for(f"page {page + 1}", lambda: self.current_page() == page)

    def point_in(self, name, dx=None, dy=None):
        x, y, width, height = self.screen_rect(name)
        return x + (width // 2 if dx is None else dx), y + (height // 2 if dy is None else dy)

    def click(self, name, dx=None, dy=None):
        self.show_page_of(name)
        self.desktop.click(*self.point_in(name, dx, dy))

    def move_to(self, name, dx=None, dy=None):
        self.show_page_of(name)
        x, y = self.point_in(name, dx, dy)
        self.desktop.run(["xdotool", "mousemove", "--sync", str(x), str(y)])

    def hover_text(self, name, offset):
        """Rests the mouse on the character at `offset` of a text control."""
        self.show_page_of(name)
        text = self.accessible(name).queryText()
        extents = text.getCharacterExtents(offset, pyatspi.DESKTOP_COORDS)
        # The toolkit reports the right x but the first line's y for every line of
        # a plain-text editor: count the lines down from there.
        line = text.getText(0, offset).count("\n")
        x, y = extents[0] + max(1, extents[2] // 2), extents[1] + line * extents[3] + extents[3] // 2
        self.desktop.run(["xdotool", "mousemove", "--sync", str(x - 3), str(y)])
        self.desktop.run(["xdotool", "mousemove", "--sync", str(x), str(y)])

    def tooltip_text(self, timeout=5):
        """The text of the tooltip that is showing."""
        def tooltip():
            return self.find_accessible(lambda node: node.getRoleName() == "tool tip", root=self.app)
        node = wait_for("a tooltip", tooltip, timeout)
        label = self.find_accessible(lambda child: child.getRoleName() == "label" and child.name, root=node)
        return node.name or (label.name if label is not None else "")

    def fill(self, name, text):
        """Clicks into a field or an editable drop-down box, selects all and types."""
        self.click(name, dx=6)
        self.desktop.key("ctrl+a", "BackSpace")
        if text:
            self.desktop.type(text)
        wait_for(f"{name} to read {text!r}", lambda: self.text_of(name) == text, timeout=5)

    def press(self, button):
        self.click(button)

    def pick(self, name, index):
        """Selects entry `index` of a list-only box from the keyboard: the list is
        closed again with Escape and the arrows walk from the first entry."""
        self.click(name)
        self.desktop.key("Escape", "Home", *(["Down"] * index))

    def choose_menu(self, menu_key, downs):
        self.desktop.key(menu_key)
        self.desktop.key(*(["Down"] * downs), "Return")
