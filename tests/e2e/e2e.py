#!/usr/bin/env python3
"""uninst_tavro.exe end to end: the real program under Wine on an Xvfb
display, driven with real X key presses and mouse clicks, its live dialogs
read back by dlgprobe.exe and the registry read before and after.

    e2e.py BUILD_DIR ARTIFACT_DIR [unittest arguments]

WINEPREFIX must name a private prefix; it is prepared on first use.
"""
import os
import subprocess
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))

from wine_session import MAIN_CAPTION, RESULT_CAPTION, TARGETS, WineSession  # noqa: E402

BUILD = ARTIFACTS = None  # from the command line

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


def setUpModule():
    global SESSION
    prefix = os.environ.get("WINEPREFIX")
    if not prefix:
        raise SystemExit("e2e: WINEPREFIX must name a private test prefix")
    subprocess.run([os.path.join(ROOT, "scripts", "wineprefix.sh"), prefix], check=True)
    SESSION = WineSession(prefix, BUILD)


def tearDownModule():
    SESSION.close()


class EndToEnd(unittest.TestCase):
    def setUp(self):
        SESSION.seed()
        self.before = SESSION.registry()
        self.assertTrue(any(line.startswith(TARGETS[0]) for line in self.before), self.before)
        self.program = SESSION.start_program()
        self.state, self.main = SESSION.wait_for(MAIN_CAPTION)

    def tearDown(self):
        if self.program.poll() is None:
            self.program.kill()
            self.program.wait()

    def assertExitsWithZero(self):
        self.assertEqual(0, self.program.wait(timeout=30))
        self.assertEqual([], [d for d in SESSION.dialogs()["dialogs"]
                              if d["caption"] in (MAIN_CAPTION, RESULT_CAPTION)])

    def assertRegistryUnchanged(self):
        self.assertEqual(self.before, SESSION.registry())

    def assertRemoved(self):
        expected = [line for line in self.before
                    if not any(under(line.split(" = ")[0], t) for t in TARGETS)]
        self.assertEqual(expected, SESSION.registry())

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


if __name__ == "__main__":
    BUILD, ARTIFACTS = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    del sys.argv[1:3]
    unittest.main(verbosity=2)
