// The dialog procedures and the program entry on the stand-in dialog manager:
// message results, the order of removal and result dialog, and the exit code.
#include "ui/dialogs.h"

#include <standin/dialogs.h>
#include <standin/journal.h>
#include <standin/registry.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "resource.h"
#include "ui/notice.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);

namespace {

typedef std::vector<std::string> Lines;

HINSTANCE const kInstance = reinterpret_cast<HINSTANCE>(0x400000);

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) {
    RECT r = {left, top, right, bottom};
    return r;
}

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        standin::ResetRegistry();
        standin::ResetDialogs();
        g_hInstance = kInstance;
    }

    static int RunProgram() {
        char commandLine[] = "/S ignored arguments";
        return WinMain(kInstance, NULL, commandLine, 1);
    }

    static Lines RegistryEntries() {
        Lines lines;
        for (const std::string& entry : standin::Journal())
            if (entry.compare(0, 4, "Reg ") == 0) lines.push_back(entry);
        return lines;
    }

    static size_t IndexOf(const std::string& entry) {
        const Lines& journal = standin::Journal();
        return std::find(journal.begin(), journal.end(), entry) - journal.begin();
    }

    static void SeedInstall() {
        standin::AddValue(HKEY_CLASSES_ROOT, ".tvr", "");
        standin::AddKey(HKEY_CLASSES_ROOT, "Tavro.Document\\shell\\open\\command");
        standin::AddKey(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Settings");
        standin::AddKey(HKEY_CURRENT_USER, "Software\\Other");
    }
};

TEST_F(DialogsTest, MessageTables) {
    // clang-format off
    struct Case {
        const char* name;
        DLGPROC proc;
        UINT message;
        WPARAM wParam;
        INT_PTR returns;
        Lines journal;
    } cases[] = {
        {"main: init centres and shows the notice", MainDialogProc, WM_INITDIALOG, 0, TRUE,
         {"SetWindowPos dlg 359,272 after=null flags=5", "SetDlgItemTextA dlg 1000"}},
        {"main: Cancel", MainDialogProc, WM_COMMAND, IDCANCEL | BN_CLICKED << 16, TRUE,
         {"EndDialog dlg 2"}},
        {"main: edit control focus change", MainDialogProc, WM_COMMAND,
         IDC_NOTICE | EN_SETFOCUS << 16, FALSE, {}},
        {"main: unknown id", MainDialogProc, WM_COMMAND, 3, FALSE, {}},
        {"main: other message", MainDialogProc, WM_CLOSE, 0, FALSE, {}},
        {"result: init centres", ResultDialogProc, WM_INITDIALOG, 0, TRUE,
         {"SetWindowPos dlg 359,272 after=null flags=5"}},
        {"result: OK", ResultDialogProc, WM_COMMAND, IDOK | BN_CLICKED << 16, TRUE,
         {"EndDialog dlg 1"}},
        {"result: Esc or close box", ResultDialogProc, WM_COMMAND, IDCANCEL, TRUE,
         {"EndDialog dlg 2"}},
        {"result: unknown id", ResultDialogProc, WM_COMMAND, IDC_NOTICE, FALSE, {}},
        {"result: other message", ResultDialogProc, WM_PAINT, 0, FALSE, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ResetDialogs();
        HWND dialog = standin::MakeWindow("dlg", Rect(0, 0, 311, 252), Rect(0, 0, 305, 224), NULL);
        EXPECT_EQ(c.returns, c.proc(dialog, c.message, c.wParam, 0));
        EXPECT_EQ(c.journal, standin::Journal());
    }
}

TEST_F(DialogsTest, InitShowsTheNoticeInTheEditControl) {
    standin::ScriptDialog(IDD_MAIN, {standin::Command(IDCANCEL)});
    RunProgram();
    std::string notice;
    BuildNoticeText(notice);
    EXPECT_EQ(notice, standin::ItemText(IDD_MAIN, IDC_NOTICE));
}

TEST_F(DialogsTest, OkRemovesThenShowsTheResultOverTheMainDialog) {
    SeedInstall();
    standin::ScriptDialog(IDD_MAIN, {standin::Command(IDOK)});
    standin::ScriptDialog(IDD_RESULT, {standin::Command(IDOK)});

    EXPECT_EQ(0, RunProgram());
    EXPECT_EQ(kInstance, g_hInstance);

    const Lines registry = RegistryEntries();
    ASSERT_FALSE(registry.empty());
    // The removal runs once, entirely between the main dialog's set-up and
    // the result dialog.
    EXPECT_EQ(1, std::count(registry.begin(), registry.end(), "Reg open-link HKCR\\.tvr -> 0"));
    EXPECT_LT(IndexOf("SetDlgItemTextA dialog129 1000"), IndexOf(registry.front()));
    EXPECT_LT(IndexOf(registry.back()), IndexOf("DialogBoxParamA 130 parent=dialog129"));
    // The result dialog is centred on the main dialog, which was centred on
    // the desktop; the main dialog ends with IDOK only after it closes.
    EXPECT_LT(IndexOf("SetWindowPos dialog129 359,272 after=null flags=5"),
              IndexOf("SetWindowPos dialog130 459,353 after=null flags=5"));
    EXPECT_LT(IndexOf("EndDialog dialog130 1"), IndexOf("EndDialog dialog129 1"));
    EXPECT_EQ("DialogBoxParamA 129 returned 1", standin::Journal().back());

    EXPECT_EQ((Lines{"HKCR", "HKCU", "HKCU\\Software", "HKCU\\Software\\Other"}),
              standin::Snapshot());
}

TEST_F(DialogsTest, EveryWayOfClosingEndsTheProgramWithZero) {
    // clang-format off
    struct Case {
        const char* name;
        std::vector<standin::Message> main;
        std::vector<standin::Message> result;
        bool failResult;
        bool removes;
        const char* mainEnd;
    } cases[] = {
        {"Cancel, Esc or close box", {standin::Command(IDCANCEL)}, {}, false, false,
         "EndDialog dialog129 2"},
        {"noise, then Cancel",
         {{WM_COMMAND, IDC_NOTICE | EN_SETFOCUS << 16, 0}, {WM_PAINT, 0, 0},
          standin::Command(IDCANCEL)},
         {}, false, false, "EndDialog dialog129 2"},
        {"OK, result closed with OK", {standin::Command(IDOK)}, {standin::Command(IDOK)}, false,
         true, "EndDialog dialog129 1"},
        {"OK, result closed with Esc or close box", {standin::Command(IDOK)},
         {standin::Command(IDCANCEL)}, false, true, "EndDialog dialog129 1"},
        {"OK, result dialog cannot be created", {standin::Command(IDOK)}, {}, true, true,
         "EndDialog dialog129 1"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ResetRegistry();
        standin::ResetDialogs();
        SeedInstall();
        const Lines before = standin::Snapshot();
        standin::ScriptDialog(IDD_MAIN, c.main);
        standin::ScriptDialog(IDD_RESULT, c.result);
        if (c.failResult) standin::FailDialog(IDD_RESULT);

        EXPECT_EQ(0, RunProgram());
        EXPECT_NE(standin::Journal().size(), IndexOf(c.mainEnd));
        EXPECT_EQ(c.removes, !RegistryEntries().empty());
        EXPECT_EQ(c.removes, before != standin::Snapshot());
        EXPECT_EQ(0, standin::OpenHandleCount());
    }
}

TEST_F(DialogsTest, MainDialogThatCannotBeCreatedStillExitsWithZero) {
    standin::FailDialog(IDD_MAIN);
    EXPECT_EQ(0, RunProgram());
    EXPECT_TRUE(RegistryEntries().empty());
}

}  // namespace
