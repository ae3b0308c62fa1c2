// Test controls of the host stand-in dialog manager. A dialog made by
// DialogBoxParamA gets WM_INITDIALOG and then the messages scripted for its
// template, one by one, until its procedure calls EndDialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// What the dialog manager sends when the user presses a button, Enter
// (default button), Esc or the close box: WM_COMMAND with the id.
Message Command(int id);

// Forgets windows, scripts and texts; the desktop is 0,0 to 1024,768.
void ResetDialogs();

// The next dialog made from `templateId` receives these messages in turn.
void ScriptDialog(int templateId, const std::vector<Message>& script);
// The next DialogBoxParamA for `templateId` fails and returns -1.
void FailDialog(int templateId);

// A live window with the given outer and client rectangles and owner, for
// calling a dialog procedure or CenterDialog directly. Its name in the
// journal is `name`.
HWND MakeWindow(const std::string& name, RECT window, RECT client, HWND owner);
RECT WindowRect(HWND window);

// The last text set on a control of a dialog made from `templateId`.
std::string ItemText(int templateId, int itemId);

}  // namespace standin
