"""Types a Japanese line through an input method into the message field, as an
operator does, and checks the line the "mes" button writes into the script.

Runs ibus-daemon with the Anthy engine on a private X server, and the program
with QT_IM_MODULE=ibus. Run inside dbus-run-session so that ibus and the
accessibility tree are private to the run:
    dbus-run-session -- python3 input_method.py PROGRAM SOURCE_ROOT
"""
import os
import shutil
import subprocess
import sys
import tempfile

from desktop import Desktop, TestFailure, wait_for
from talewick_driver import Talewick

IBUS_PLUGIN = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforminputcontexts/libibusplatforminputcontextplugin.so"
ENGINE = "anthy"
ANTHY_COMPONENT = "/usr/share/ibus/component/anthy.xml"
# Romaji as typed, then Space converts and Return commits Anthy's first candidate,
# the same on every run as its learning starts empty in the private home.
ROMAJI = "konnnichiha"
COMPOSED = "今日は"


class InputMethod:
    """An ibus-daemon of its own, with a home folder of its own so that neither its
    settings nor Anthy's learning reach (or come from) the user's."""

    def __init__(self, desktop):
        self.home = tempfile.mkdtemp(prefix="talewick-ibus-")
        self.env = dict(desktop.env, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"), GSETTINGS_BACKEND="keyfile",
                        # Anthy's engine is a Python script run as plain "python3": it needs the
                        # system's, with the GObject bindings, not a virtual environment's.
                        PATH="/usr/bin:" + desktop.env.get("PATH", ""))
        self.log = open(os.path.join(desktop.artifacts, "ibus-output.txt"), "w")
        self.daemon = None

    def __enter__(self):
        self._write_settings()
        self.daemon = subprocess.Popen(["ibus-daemon", "--panel=disable", "--emoji-extension=disable",
                                        "--config=disable", "--cache=none", "--verbose"],
                                       env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        address = wait_for("ibus-daemon's address", self._address, timeout=20)
        self.env["IBUS_ADDRESS"] = address
        self._ibus("engine", ENGINE)
        wait_for(f"the {ENGINE} engine", lambda: self._ibus("engine").strip() == ENGINE, timeout=10)
        return self

    def __exit__(self, kind, value, traceback):
        if self.daemon and self.daemon.poll() is None:
            subprocess.run(["ibus", "exit"], env=self.env, capture_output=True, timeout=10)
            try:
                self.daemon.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.daemon.kill()
                self.daemon.wait()
        self.log.close()
        shutil.rmtree(self.home, ignore_errors=True)
        return False

    def _write_settings(self):
        """Anthy starts in Latin mode unless told otherwise; a Japanese desktop has it
        start in hiragana, as this file does."""
        folder = os.path.join(self.env["XDG_CONFIG_HOME"], "glib-2.0", "settings")
        os.makedirs(folder)
        with open(os.path.join(folder, "keyfile"), "w") as keyfile:
            keyfile.write("[org/freedesktop/ibus/engine/anthy/common]\ninput-mode=0\n")

    def _ibus(self, *arguments):
        result = subprocess.run(["ibus", *arguments], env=self.env, capture_output=True, text=True, timeout=10)
        return result.stdout if result.returncode == 0 else ""

    def _address(self):
        if self.daemon.poll() is not None:
            raise TestFailure(f"ibus-daemon ended with status {self.daemon.returncode}")
        address = self._ibus("address").strip()
        return address if address.startswith("unix:") else None


def type_through_input_method(desktop, app):
    app.click("Edit5", dx=6)
    desktop.key("ctrl+a", "BackSpace")
    desktop.type(ROMAJI)
    desktop.key("space")
    desktop.key("Return")
    try:
        wait_for("the composed line in the message field", lambda: app.text_of("Edit5") == COMPOSED, timeout=5)
    except TestFailure:
        held = app.text_of("Edit5")
        if held.startswith(ROMAJI):
            raise TestFailure(f"the keys reached the field without the input method: it holds {held!r}")
        raise TestFailure(f"message field holds {held!r}, expected {COMPOSED!r}")


def main(program, source_root):
    if not os.path.exists(IBUS_PLUGIN):
        raise TestFailure(f"Qt's ibus plugin is missing: {IBUS_PLUGIN}")
    if not shutil.which("ibus-daemon") or not os.path.exists(ANTHY_COMPONENT):
        raise TestFailure("ibus or its Anthy engine is not installed (packages ibus, ibus-anthy)")
    artifacts = os.path.join(os.getcwd(), "artifacts", "input_method")
    shutil.rmtree(artifacts, ignore_errors=True)
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        with Desktop(artifacts) as desktop, InputMethod(desktop) as ibus:
            # Qt finds the daemon only through its address file under the config folder.
            desktop.start_program(program, source_root, extra_env={
                "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_IM_MODULE": "ibus",
                "XDG_CONFIG_HOME": ibus.env["XDG_CONFIG_HOME"]})
            app = Talewick(desktop, source_root)
            type_through_input_method(desktop, app)
            app.press("Button2")
            app.wait_editor(f"\tmes \"{COMPOSED}\";\n")
            desktop.screenshot("input-method.png", app.window)
        reports = desktop.sanitizer_reports()
        if reports:
            raise TestFailure("sanitizer report: " + "; ".join(reports[:3]))
    finally:
        bus.terminate()
    print("input method test passed")


if __name__ == "__main__":
    try:
        main(sys.argv[1], sys.argv[2])
    except TestFailure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        sys.exit(1)
