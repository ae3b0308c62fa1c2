#!/usr/bin/env python3
"""Runs uninst_tavro.exe under Wine and shows the registry before and after.

    PYTHONPATH=. python3 -m tools.run_program BUILD_DIR HELPER_DIR SEED(0|1) SCREENSHOT_DIR

WINEPREFIX names the prefix. With SEED 1 it is first seeded with sample data.
On a usable display the dialog opens there for the user; without one the
program runs on a private Xvfb display, OK and then the result's OK are
pressed with real key events, and both dialogs are saved as screenshots.
"""
import os
import subprocess
import sys

from tools.winesession import WineSession


def display_usable():
    display = os.environ.get("DISPLAY")
    return bool(display) and subprocess.run(
        ["xdpyinfo"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def show(title, lines):
    print(title)
    for line in lines or ["(none of the keys exist)"]:
        print("    " + line)


def main():
    build, helpers, seed, shots = sys.argv[1], sys.argv[2], sys.argv[3] == "1", sys.argv[4]
    headless = not display_usable()
    session = WineSession(os.environ["WINEPREFIX"], build, helpers,
                          None if headless else os.environ["DISPLAY"])
    try:
        if session.redirected:
            print("run: a 32-bit program in a 64-bit prefix: its HKCR\\CLSID is "
                  "HKCR\\Wow6432Node\\CLSID below")
        if seed:
            session.seed()
        before = session.registry()
        show("Registry before:", before)
        program = session.start_program()
        if headless:
            print("run: no display; running on a private X server and pressing OK as a user would",
                  flush=True)
            print("run: waiting for the dialog", flush=True)
            session.remove_and_report(program, shots)
            code = program.wait()
            print("run: screenshots in %s" % shots)
        else:
            print("run: the dialog is open on your display; OK removes, Cancel leaves", flush=True)
            code = program.wait()
        after = session.registry()
        show("Registry after:", after)
        removed = [line for line in before if line not in after]
        print("run: %d registry lines removed, exit code %d" % (len(removed), code))
        return 0 if code == 0 else 1
    finally:
        session.close()


if __name__ == "__main__":
    sys.exit(main())
