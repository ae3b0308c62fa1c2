#!/usr/bin/env python3
"""uninst_tavro.exe end to end: the real program under Wine on an Xvfb
display, driven with real X key presses and mouse clicks, its live dialogs
read back by dlgprobe.exe and the registry read before and after.

    PYTHONPATH=. python3 -m unittest -v tests.e2e.e2e

The environment names what to test:
    WINEPREFIX       a private prefix, prepared on first use
    TAVRO_BUILD      the build directory holding uninst_tavro.exe
    TAVRO_HELPERS    a build directory with 64-bit regtree.exe and dlgprobe.exe
                     (optional; else TAVRO_BUILD's own)
    TAVRO_ARTIFACTS  where the screenshots go (optional)

Where i386 is emulated, a 32-bit program takes about a minute to start, so
only the paths that matter most run for it: OK, the Cancel button and Esc.
"""
import os
import subprocess
import unittest

from tools.winesession import (MAIN_CAPTION, RESULT_CAPTION, ROOT, WineSession,
                               i386_emulated, pe_bits)

NOTICE = ("------------ Uninstaller for Quorvane ------------\r\n\r\n"
          "Tavro.exeで使用したレジストリデータを削除します。\r\n\r\n"
          "再度Tavro.exeを実行すればレジストリデータは自動的に\r\n"
          "再構築されますので、気兼ね無く削除してください(^^)\r\n"
          "このプログラムは初期リリースのTavro.exeを含め\r\n"
          "全てのTavro.exeをサポートしています。\r\n\r\n"
          "「OKボタン」を押すと削除を実行します。")

BUTTON_OK = 0x50010001
BUTTON_PUSH = 0x50010000
EDIT_NOTICE = 0x50A00884
STATIC_LEFT = 0x50020000
WS_BORDER = 0x00800000
WS_EX_CLIENTEDGE = 0x00000200


def half(value):
    """Signed division by two, truncating toward zero."""
    return -(-value // 2) if value < 0 else value // 2


def under(key, top):
    return key == top or key.startswith(top + "\\")


SESSION = None
ARTIFACTS = None
# Why SLOW_TESTS are left out, where a 32-bit program is emulated.
SLOW = None

# A key of the same name in the registry view that the program does not see.
OTHER_VIEW = "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}\\OtherView"


def setUpModule():
    global SESSION, ARTIFACTS, SLOW
    prefix, build = os.environ.get("WINEPREFIX"), os.environ.get("TAVRO_BUILD")
    if not prefix or not build:
        raise unittest.SkipTest("e2e: WINEPREFIX and TAVRO_BUILD must name a private test "
                                "prefix and the build to test")
    ARTIFACTS = os.environ.get("TAVRO_ARTIFACTS") or os.path.join(build, "e2e-artifacts")
    if pe_bits(os.path.join(build, "uninst_tavro.exe")) == 32 and i386_emulated():
        SLOW = "i386 is emulated on this host: every start of the 32-bit program takes a minute"
    subprocess.run([os.path.join(ROOT, "scripts", "wineprefix.sh"), prefix], check=True)
    SESSION = WineSession(prefix, build, os.environ.get("TAVRO_HELPERS"))




def tearDownModule():
    SESSION.close()


class EndToEnd(unittest.TestCase):
    def setUp(self):
        if SLOW and self._testMethodName in SLOW_TESTS:
            self.skipTest(SLOW)
        SESSION.seed()
        if SESSION.redirected:
            # A decoy where a 64-bit program would look: it must stay.
            SESSION.import_reg("REGEDIT4\n\n[HKEY_CLASSES_ROOT\\CLSID\\"
                               "{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}\\OtherView]\n", as_program=False)
        self.before = SESSION.registry()
        # Every key to remove is there first, where the program looks for it;
        # so none of the checks below can pass by looking in the wrong view.
        for target in SESSION.targets():
            self.assertIn(SESSION.physical(target), self.before)
        self.assertEqual(SESSION.redirected, OTHER_VIEW in SESSION.registry([OTHER_VIEW]))
        self.program = SESSION.start_program()
        self.state, self.main = SESSION.wait_for(MAIN_CAPTION)

    def tearDown(self):
        if self.program.poll() is None:
            self.program.kill()
            self.program.wait()

    def assertExitsWithZero(self):
        self.assertEqual(0, self.program.wait(timeout=300))
        self.assertEqual([], [d for d in SESSION.dialogs()["dialogs"]
                              if d["caption"] in (MAIN_CAPTION, RESULT_CAPTION)])

    def assertRegistryUnchanged(self):
        self.assertEqual(self.before, SESSION.registry())

    def assertRemoved(self):
        targets = [SESSION.physical(t) for t in SESSION.targets()]
        expected = [line for line in self.before
                    if not any(under(line.split(" = ")[0], t) for t in targets)]
        self.assertEqual(expected, SESSION.registry())
        self.assertEqual(SESSION.redirected, OTHER_VIEW in SESSION.registry([OTHER_VIEW]))

    def assertCentred(self, dialog, owner_rect):
        left, top, right, bottom = owner_rect
        width, height = dialog["client"][2], dialog["client"][3]
        self.assertEqual([half(left + right - width), half(top + bottom - height)],
                         dialog["rect"][:2])

    def control(self, dialog, cid):
        return next(c for c in dialog["controls"] if c["id"] == cid)

    def test_ok_removes_and_reports(self):
        main = self.main
        # A live edit control trades WS_BORDER for a sunken client edge, as
        # on Windows; the template keeps WS_BORDER.
        self.assertEqual([("Button", 1, "OK", BUTTON_OK), ("Button", 2, "ｷｬﾝｾﾙ", BUTTON_PUSH),
                          ("Edit", 1000, NOTICE, EDIT_NOTICE & ~WS_BORDER)],
                         [(c["class"], c["id"], c["text"], c["style"]) for c in main["controls"]])
        self.assertEqual(WS_EX_CLIENTEDGE, self.control(main, 1000)["exstyle"] & WS_EX_CLIENTEDGE)
        self.assertEqual(NOTICE.encode("cp932").hex(), self.control(main, 1000)["ansi"])
        self.assertEqual(self.control(main, 1)["hwnd"], main["focus"])
        self.assertEqual(0, main["owner"])
        self.assertCentred(main, self.state["desktop"])
        SESSION.screenshot(main, os.path.join(ARTIFACTS, "main-dialog.png"))

        SESSION.key("Return")
        _, result = SESSION.wait_for(RESULT_CAPTION)
        self.assertEqual(main["hwnd"], result["owner"])
        self.assertEqual([("Button", 1, "OK", BUTTON_OK), ("Static", -1, "完了しました。", STATIC_LEFT)],
                         [(c["class"], c["id"], c["text"], c["style"]) for c in result["controls"]])
        self.assertEqual(self.control(result, 1)["hwnd"], result["focus"])
        self.assertCentred(result, main["rect"])
        behind = next(d for d in SESSION.dialogs()["dialogs"] if d["hwnd"] == main["hwnd"])
        self.assertFalse(behind["enabled"])
        SESSION.screenshot(result, os.path.join(ARTIFACTS, "result-dialog.png"))
        # The removal is over before the result dialog shows.
        self.assertRemoved()

        SESSION.key("Return")
        self.assertExitsWithZero()
        self.assertRemoved()

    def test_ok_click_then_escape_on_the_result(self):
        left, top, right, bottom = self.control(self.main, 1)["rect"]
        SESSION.click((left + right) // 2, (top + bottom) // 2)
        SESSION.wait_for(RESULT_CAPTION)
        SESSION.key("Escape")
        self.assertExitsWithZero()
        self.assertRemoved()

    def test_cancel_button_changes_nothing(self):
        left, top, right, bottom = self.control(self.main, 2)["rect"]
        SESSION.click((left + right) // 2, (top + bottom) // 2)
        self.assertExitsWithZero()
        self.assertRegistryUnchanged()

    def test_escape_changes_nothing(self):
        SESSION.key("Escape")
        self.assertExitsWithZero()
        self.assertRegistryUnchanged()

    def test_close_box_changes_nothing(self):
        self.assertIsNotNone(self.main["closeBox"])
        SESSION.click(*self.main["closeBox"])
        self.assertExitsWithZero()
        self.assertRegistryUnchanged()


SLOW_TESTS = {"test_ok_click_then_escape_on_the_result", "test_close_box_changes_nothing"}
