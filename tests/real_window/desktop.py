"""A private X desktop for driving the built program as a person would.

Starts Xvfb with openbox, runs the program in a fresh working directory, and
offers the few things the tests need: find a window by caption, its client
geometry, typing and keys through xdotool, and the clipboard through xclip.
Every wait polls with a timeout; nothing relies on a fixed sleep alone.
"""
import os
import re
import shutil
import subprocess
import tempfile
import time

MAIN_CAPTION = "Talewick(仮)　～普通に書いた方が早い罠～"


class TestFailure(Exception):
    pass


def wait_for(what, probe, timeout=15.0, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TestFailure(f"timed out waiting for {what}")
        time.sleep(interval)


class Desktop:
    def __init__(self, artifacts):
        self.artifacts = artifacts
        os.makedirs(artifacts, exist_ok=True)
        self.processes = []
        self.program = None
        self.program_log = None
        self.env = None

    def __enter__(self):
        try:
            return self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise

    def _start(self):
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self.processes.append(xvfb)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            raise TestFailure("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number.decode())
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.processes.append(subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        # A loaded machine (a build beside the tests) can take longer than a window
        # waits to start the window manager; waiting costs nothing when it is quick.
        wait_for("the window manager", lambda: self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
                 .find("window id") >= 0, timeout=60.0)
        return self

    def __exit__(self, kind, value, traceback):
        if kind is not None:
            self.screenshot("failure.png")
        if self.program and self.program.poll() is None:
            self.close_program()
        if self.program and self.program.poll() is None:
            self.program.kill()
            self.program.wait()
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
        if self.program_log:
            self.program_log.close()
        if getattr(self, "workdir", None):
            shutil.rmtree(self.workdir, ignore_errors=True)
        return False

    def run(self, command, check=True):
        result = subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise TestFailure(f"{' '.join(command)} failed: {result.stderr.strip()}")
        return result.stdout

    def start_program(self, program, source_root, with_help=True, with_npc=True, extra_env=None):
        self.workdir = tempfile.mkdtemp(prefix="talewick-")
        if with_help and os.path.isdir(os.path.join(source_root, "help")):
            shutil.copytree(os.path.join(source_root, "help"), os.path.join(self.workdir, "help"))
        if with_npc:
            os.mkdir(os.path.join(self.workdir, "npc"))
        self.program_log = open(os.path.join(self.artifacts, "program-output.txt"), "w")
        env = dict(self.env, **(extra_env or {}))
        self.program = subprocess.Popen([program], cwd=self.workdir, env=env,
                                        stdout=self.program_log, stderr=subprocess.STDOUT)
        return self.program

    def find_window(self, caption, timeout=20.0):
        pattern = "^" + re.escape(caption) + "$"

        def probe():
            found = self.run(["xdotool", "search", "--onlyvisible", "--name", pattern], check=False).split()
            return found[0] if found else None
        return wait_for(f"the window '{caption}'", probe, timeout)

    def client_geometry(self, window):
        """Absolute position and size of the window's client area."""
        info = self.run(["xwininfo", "-id", window])
        value = lambda key: int(re.search(rf"{key}:\s+(-?\d+)", info).group(1))
        return value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")

    def activate(self, window):
        self.run(["xdotool", "windowactivate", "--sync", window])
        wait_for("the window to take the focus",
                 lambda: self.run(["xdotool", "getactivewindow"], check=False).strip() == str(int(window)))

    def type(self, text):
        """Types ASCII text key by key. Other text is pasted from the clipboard, as a
        person without an input method enters it: typing it through xdotool remaps the
        keyboard once per character and floods the program with keymap changes."""
        if text.isascii():
            self.run(["xdotool", "type", "--delay", "30", text])
            return
        self.set_clipboard(text)
        self.key("ctrl+v")

    def set_clipboard(self, text):
        # xclip goes to the background to serve the selection until another program
        # takes it over; it ends with the X server at the latest.
        owner = subprocess.Popen(["xclip", "-i", "-selection", "clipboard"], env=self.env,
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        owner.stdin.write(text.encode("utf-8"))
        owner.stdin.close()
        self.processes.append(owner)
        wait_for("the clipboard to hold the text", lambda: self.clipboard() == text, timeout=5)

    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "40", *keys])

    def click(self, x, y):
        self.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"])

    def clipboard(self):
        return self.run(["xclip", "-o", "-selection", "clipboard"], check=False)

    def copied(self, expected, timeout=5.0):
        """Presses Ctrl+A, Ctrl+C in the focused editor; returns the clipboard once
        it holds `expected`, or what it holds at the timeout."""
        self.key("ctrl+a", "ctrl+c")
        try:
            return wait_for("the clipboard", lambda: self.clipboard() == expected and expected, timeout)
        except TestFailure:
            return self.clipboard()

    def screenshot(self, name, window=None):
        """The whole screen, or one window with its frame."""
        path = os.path.join(self.artifacts, name)
        target = ["-frame", "-window", window] if window else ["-window", "root"]
        subprocess.run(["import", *target, path], env=self.env, capture_output=True, timeout=30)
        return path

    def screenshot_around(self, name, window, right=0):
        """The window with its frame and `right` pixels of screen beside it, where a
        tooltip near its edge shows (a tooltip is a window of its own)."""
        left, top, width, height = self.client_geometry(window)
        whole = self.screenshot(name)
        # openbox: a 1-pixel border and a 20-pixel title bar around the client.
        area = f"{width + 2 + right}x{height + 22}+{left - 1}+{top - 21}"
        subprocess.run(["convert", whole, "-crop", area, "+repage", whole], capture_output=True, timeout=30)
        return whole

    def close_program(self):
        """Ends the program as a person does, with the window manager's close key,
        so that whatever it does at exit (sanitizer checks included) happens."""
        found = self.run(["xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(MAIN_CAPTION) + "$"],
                         check=False).split()
        if found:
            self.run(["xdotool", "key", "Escape"], check=False)  # an open menu or dialog first
            self.run(["xdotool", "windowactivate", "--sync", found[0]], check=False)
            self.run(["xdotool", "key", "alt+F4"], check=False)
        try:
            self.program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            pass

    def sanitizer_reports(self):
        """Lines of the program's output that report a sanitizer finding."""
        path = os.path.join(self.artifacts, "program-output.txt")
        if not os.path.exists(path):
            return []
        with open(path, errors="replace") as output:
            return [line.strip() for line in output
                    if "ERROR: AddressSanitizer" in line or "ERROR: LeakSanitizer" in line
                    or "runtime error:" in line]

    def wait_exit(self, timeout=10.0):
        return wait_for("the program to end", lambda: self.program.poll() is not None and [self.program.returncode],
                        timeout)[0]
