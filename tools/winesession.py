"""Wine sessions for the end-to-end tests, the run script and the benchmarks:
a private Xvfb display (or the user's), the Wine environment the shell
scripts use too, the right loader for each program, and the registry view a
32-bit program sees in a WoW64 prefix.

uninst_tavro.exe is driven as a user would: real X key presses and mouse
clicks, its live dialogs read back by dlgprobe.exe and the registry read by
regtree.exe. Import it as `tools.winesession` with the source tree on the
module path."""
import json
import os
import struct
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SAMPLE = os.path.join(ROOT, "tools", "sample.reg")
WINE_ENV = os.path.join(ROOT, "scripts", "lib", "wine.env")
LOADERS = {32: "/usr/lib/wine/wine", 64: "/usr/lib/wine/wine64"}

MAIN_CAPTION = "Uninstaller for Quorvane"
RESULT_CAPTION = "結果"

# Keys around the plan's worth showing: look-alikes that must stay.
NEIGHBOURS = [
    "HKCU\\Software\\Morrowfen",
    "HKCR\\.tvrx",
    "HKCR\\Tavro.Document.2",
]

# Where a 32-bit program's HKCR\CLSID lives in a 64-bit registry.
CLSID = "HKCR\\CLSID\\"
CLSID_32 = "HKCR\\Wow6432Node\\CLSID\\"


def wine_env(prefix, display=None):
    """The environment of scripts/lib/wine.env, for `prefix`."""
    env = dict(os.environ)
    with open(WINE_ENV, encoding="ascii") as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                name, value = line.split("=", 1)
                env[name] = value
    env["WINEPREFIX"] = prefix
    if display:
        env["DISPLAY"] = display
    return env


def pe_bits(path):
    """32 or 64, from the PE header's machine field."""
    with open(path, "rb") as f:
        header = f.read(4096)
    (offset,) = struct.unpack_from("<I", header, 0x3C)
    (machine,) = struct.unpack_from("<H", header, offset + 4)
    return 64 if machine == 0x8664 else 32


def i386_emulated():
    return subprocess.run([os.path.join(ROOT, "scripts", "lib", "i386.sh"), "probe"],
                          capture_output=True, text=True).stdout.strip() == "emulated"


class WineSession:
    """Wine in `prefix` with its desktop on a new Xvfb display, or on the
    given display of the user's. The program comes from `build_dir`; the
    helpers from `helper_dir` where it has them (a 64-bit build's, so that on
    a host emulating i386 only the program is emulated), else from
    `build_dir`."""

    def __init__(self, prefix, build_dir, helper_dir=None, display=None):
        self.program = os.path.join(build_dir, "uninst_tavro.exe")
        self._plan = None
        self.helpers = build_dir
        if helper_dir and os.path.exists(os.path.join(helper_dir, "regtree.exe")):
            self.helpers = helper_dir
        self.wow64 = os.path.isdir(os.path.join(prefix, "drive_c", "windows", "syswow64"))
        self.helper_bits = pe_bits(os.path.join(self.helpers, "regtree.exe"))
        if self.helper_bits == 64 and not self.wow64:
            self.helpers, self.helper_bits = build_dir, pe_bits(self.program)
        # A 32-bit program in a 64-bit prefix sees HKCR\CLSID redirected.
        self.redirected = self.wow64 and pe_bits(self.program) == 32
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
        # It must not hold this process's output open either: a test runner
        # would wait for it.
        quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-k"], env=self.env, **quiet)
        subprocess.run(["wineserver", "-w"], env=self.env, **quiet)
        subprocess.run(["wineserver", "-p"], env=self.env, check=True, **quiet)

    def close(self):
        if self.xvfb:
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
            self.xvfb.terminate()
            self.xvfb.wait()

    def physical(self, key):
        """Where the program's `key` sits in the registry that regtree shows."""
        if self.redirected and key.startswith(CLSID):
            return CLSID_32 + key[len(CLSID):]
        return key

    def run(self, bits, *args, timeout=600):
        """Runs a Wine program to its end and returns what it printed."""
        # Output goes through a file, not a pipe: Wine's background processes
        # (explorer, services) inherit the pipe and would hold it open.
        with tempfile.TemporaryFile() as out:
            subprocess.run([LOADERS[bits], *args], env=self.env, stdout=out,
                           stderr=subprocess.DEVNULL, timeout=timeout, check=True)
            out.seek(0)
            return out.read()

    def tool(self, name, *args, timeout=600):
        return self.run(self.helper_bits, os.path.join(self.helpers, name), *args,
                        timeout=timeout)

    def start_program(self):
        return subprocess.Popen([LOADERS[pe_bits(self.program)], self.program], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def plan(self):
        """[(action, key)] of the removal plan, from the program's own table:
        action "tree" or "if-empty", key as the program names it."""
        if self._plan is None:
            out = self.tool("regtree.exe", "--plan").decode("ascii").split("\n")
            self._plan = [tuple(line.strip().split(" ", 1)) for line in out if line.strip()]
        return self._plan

    def targets(self):
        """The keys the program removes with everything below them."""
        return [key for action, key in self.plan() if action == "tree"]

    def watched(self):
        """The plan's trees, and the neighbours, as the program names them."""
        keys = [key for _, key in self.plan()]
        tops = [k for k in keys if not any(k.startswith(o + "\\") for o in keys)]
        return tops + NEIGHBOURS

    def registry(self, keys=None):
        """The subtrees of `keys` (default: the watched keys, where the
        program sees them), one line per key and value."""
        keys = keys or [self.physical(k) for k in self.watched()]
        return self.tool("regtree.exe", *keys).decode("cp932").splitlines()

    def import_reg(self, text, as_program=True):
        """Imports REGEDIT4 text, with CLSID keys put where the program looks
        for them (as_program) or where a 64-bit program would."""
        if self.redirected and as_program:
            text = text.replace("[HKEY_CLASSES_ROOT\\CLSID\\",
                                "[HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\")
            text = text.replace("[-HKEY_CLASSES_ROOT\\CLSID\\",
                                "[-HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\")
        with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False, encoding="ascii") as f:
            f.write(text)
        try:
            # A Unix path would read as a switch; Z: is the Unix root.
            self.run(self.helper_bits, "regedit", "/S", "Z:" + f.name.replace("/", "\\"))
        finally:
            os.unlink(f.name)

    def seed(self):
        """Removes every watched key, then imports the sample data."""
        with open(SAMPLE, encoding="ascii") as f:
            header, body = f.read().split("\n", 1)
        removals = "".join("[-%s]\n" % key.replace("HKCR", "HKEY_CLASSES_ROOT", 1)
                           .replace("HKCU", "HKEY_CURRENT_USER", 1) for key in self.watched())
        self.import_reg(header + "\n\n" + removals + body)

    def dialogs(self):
        return json.loads(self.tool("dlgprobe.exe").decode("utf-8"))

    def wait_for(self, caption, timeout=300):
        """(desktop state, dialog) once a dialog with the caption shows. The
        limit is generous: an emulated 32-bit Wine takes a minute to start."""
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

    def remove_and_report(self, program, shots=None):
        """Presses OK, waits for the result dialog and presses its OK, as a
        user would; screenshots both dialogs into `shots` if given. Returns
        (main dialog, result dialog, registry while the result showed)."""
        _, main = self.wait_for(MAIN_CAPTION)
        if shots:
            self.screenshot(main, os.path.join(shots, "main-dialog.png"))
        self.key("Return")
        _, result = self.wait_for(RESULT_CAPTION)
        if shots:
            self.screenshot(result, os.path.join(shots, "result-dialog.png"))
        during = self.registry()
        self.key("Return")
        program.wait(timeout=300)
        return main, result, during
