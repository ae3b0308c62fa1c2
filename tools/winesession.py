"""Drives uninst_tavro.exe under Wine on a private Xvfb display, as a user
would: real X key presses and mouse clicks, with the live dialogs read back by
dlgprobe.exe and the registry read by regtree.exe. Used by the end-to-end
tests and by the headless run of scripts/run.sh."""
import json
import os
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SAMPLE = os.path.join(ROOT, "tools", "sample.reg")

MAIN_CAPTION = "Uninstaller for Quorvane"
RESULT_CAPTION = "結果"

# The keys the program removes, and those around them worth showing.
TARGETS = [
    "HKCR\\.tvr",
    "HKCR\\Tavro.Document",
    "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}",
    "HKCU\\Software\\Local AppWizard-Generated Applications\\Quorvane",
    "HKCU\\Software\\Morrowfen.\\Quorvane",
]
WATCHED = TARGETS[:3] + [
    "HKCU\\Software\\Local AppWizard-Generated Applications",
    "HKCU\\Software\\Morrowfen.",
    "HKCU\\Software\\Morrowfen",
    "HKCR\\.tvrx",
    "HKCR\\Tavro.Document.2",
]


def wine_env(prefix, display=None):
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=", LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")
    if display:
        env["DISPLAY"] = display
    return env


def run_wine(env, *args, timeout=60):
    """Runs a Wine program to its end and returns what it printed."""
    # Output goes through a file, not a pipe: Wine's background processes
    # (explorer, services) inherit the pipe and would hold it open.
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", *args], env=env, stdout=out, stderr=subprocess.DEVNULL,
                       timeout=timeout, check=True)
        out.seek(0)
        return out.read()


class WineSession:
    """Wine in `prefix` with its desktop on a new Xvfb display, or on the
    given display of the user's."""

    def __init__(self, prefix, build_dir, display=None):
        self.build = build_dir
        self.xvfb = None
        if display:
            self.env = wine_env(prefix, display)
            return
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            display = ":" + f.readline().strip()
        self.env = wine_env(prefix, display)
        # A wineserver of an earlier run would keep its desktop on another
        # display; a fresh one that stays up makes each Wine start quick.
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env)
        subprocess.run(["wineserver", "-p"], env=self.env, check=True)

    def close(self):
        if self.xvfb:
            subprocess.run(["wineserver", "-k"], env=self.env)
            self.xvfb.terminate()
            self.xvfb.wait()

    def wine(self, *args, timeout=60):
        return run_wine(self.env, *args, timeout=timeout)

    def tool(self, name, *args, timeout=60):
        return self.wine(os.path.join(self.build, name), *args, timeout=timeout)

    def start_program(self):
        return subprocess.Popen(["wine", os.path.join(self.build, "uninst_tavro.exe")],
                                env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def registry(self):
        return self.tool("regtree.exe", *WATCHED).decode("cp932").splitlines()

    def seed(self):
        """Removes every watched key, then imports the sample data."""
        with open(SAMPLE, encoding="ascii") as f:
            header, body = f.read().split("\n", 1)
        removals = "".join("[-%s]\n" % key.replace("HKCR", "HKEY_CLASSES_ROOT", 1)
                           .replace("HKCU", "HKEY_CURRENT_USER", 1) for key in WATCHED)
        with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False, encoding="ascii") as f:
            f.write(header + "\n\n" + removals + body)
        try:
            # A Unix path would read as a switch; Z: is the Unix root.
            self.wine("regedit", "/S", "Z:" + f.name.replace("/", "\\"))
        finally:
            os.unlink(f.name)

    def dialogs(self):
        return json.loads(self.tool("dlgprobe.exe").decode("utf-8"))

    def wait_for(self, caption, timeout=30):
        """(desktop state, dialog) once a dialog with the caption shows."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            state = self.dialogs()
            for dialog in state["dialogs"]:
                if dialog["caption"] == caption:
                    return state, dialog
            time.sleep(0.3)
        raise AssertionError("no dialog captioned %r within %d s" % (caption, timeout))

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True,
                              timeout=30, check=True).stdout

    def desktop_window(self):
        """The X window of Wine's virtual desktop; None in a prefix without
        one, where Wine's screen coordinates are the X root's."""
        found = subprocess.run(["xdotool", "search", "--name", "Wine desktop"], env=self.env,
                               capture_output=True, text=True, timeout=30).stdout.split()
        return found[0] if found else None

    def key(self, name):
        desktop = self.desktop_window()
        if desktop:
            self.xdotool("windowfocus", "--sync", desktop)
        self.xdotool("key", "--clearmodifiers", name)

    def click(self, x, y):
        desktop = self.desktop_window()
        where = ["--window", desktop] if desktop else []
        self.xdotool("mousemove", *where, str(x), str(y), "click", "1")

    def screenshot(self, dialog, path):
        left, top, right, bottom = dialog["rect"]
        os.makedirs(os.path.dirname(path), exist_ok=True)
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", "-crop",
                        "%dx%d+%d+%d" % (right - left, bottom - top, left, top), "+repage", path],
                       check=True, timeout=30)
