// Scripted dialog manager behind DialogBoxParamA and the window calls the
// program makes. Dialogs are named "dialog<template id>" in the journal.
#include <standin/dialogs.h>
#include <standin/journal.h>

#include "resource.h"

#include <map>
#include <memory>

namespace {

struct Window {
    std::string name;
    RECT window;
    RECT client;
    HWND owner = NULL;
    bool ended = false;
    INT_PTR result = 0;
    int templateId = 0;
};

struct Dialogs {
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::map<int, std::vector<std::vector<standin::Message>>> scripts;
    std::map<int, int> failures;
    std::map<std::pair<int, int>, std::string> texts;
    uintptr_t nextHandle = 0x10000;
    HWND desktop = NULL;
};

Dialogs& State() {
    static Dialogs state;
    return state;
}

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) {
    RECT r = {left, top, right, bottom};
    return r;
}

Window* Find(HWND hwnd) {
    auto it = State().windows.find(hwnd);
    return it == State().windows.end() ? nullptr : it->second.get();
}

std::string NameOf(HWND hwnd) {
    Window* w = Find(hwnd);
    return w ? w->name : hwnd == NULL ? "null" : "?";
}

HWND Create(const std::string& name, RECT window, RECT client, HWND owner) {
    Dialogs& state = State();
    HWND hwnd = reinterpret_cast<HWND>(state.nextHandle);
    state.nextHandle += 0x10;
    std::unique_ptr<Window> w(new Window);
    w->name = name;
    w->window = window;
    w->client = client;
    w->owner = owner;
    state.windows[hwnd] = std::move(w);
    return hwnd;
}

// Pixel size of a dialog from its template, about as a 9-point font gives.
RECT TemplateClient(int templateId) {
    return templateId == IDD_MAIN ? Rect(0, 0, 305, 224) : Rect(0, 0, 111, 89);
}

}  // namespace

namespace standin {

Message Command(int id) {
    return Message{WM_COMMAND, static_cast<WPARAM>(id), 0};
}

void ResetDialogs() {
    State() = Dialogs();
    State().desktop = Create("desktop", Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768), NULL);
    ClearJournal();
}

void ScriptDialog(int templateId, const std::vector<Message>& script) {
    State().scripts[templateId].push_back(script);
}

void FailDialog(int templateId) {
    ++State().failures[templateId];
}

HWND MakeWindow(const std::string& name, RECT window, RECT client, HWND owner) {
    if (!State().desktop) ResetDialogs();
    return Create(name, window, client, owner);
}

RECT WindowRect(HWND window) {
    return Find(window)->window;
}

std::string ItemText(int templateId, int itemId) {
    auto it = State().texts.find(std::make_pair(templateId, itemId));
    return it == State().texts.end() ? std::string() : it->second;
}

}  // namespace standin

using standin::JournalAppend;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
    (void)hInstance;
    Dialogs& state = State();
    if (!state.desktop) standin::ResetDialogs();
    const int id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpTemplateName));
    JournalAppend("DialogBoxParamA " + std::to_string(id) + " parent=" + NameOf(hWndParent));
    if (state.failures[id] > 0) {
        --state.failures[id];
        return -1;
    }
    // A dialog whose parent is the desktop is a top-level window without owner.
    HWND owner = hWndParent == state.desktop ? NULL : hWndParent;
    RECT client = TemplateClient(id);
    RECT window = Rect(0, 0, client.right + 6, client.bottom + 28);
    const std::string name = "dialog" + std::to_string(id);
    HWND dialog = Create(name, window, client, owner);
    Find(dialog)->templateId = id;

    std::vector<standin::Message> script;
    if (!state.scripts[id].empty()) {
        script = state.scripts[id].front();
        state.scripts[id].erase(state.scripts[id].begin());
    }
    INT_PTR handled = lpDialogFunc(dialog, WM_INITDIALOG, 0, dwInitParam);
    JournalAppend(name + " WM_INITDIALOG -> " + std::to_string(handled));
    for (const standin::Message& m : script) {
        if (Find(dialog)->ended) break;
        handled = lpDialogFunc(dialog, m.message, m.wParam, m.lParam);
        JournalAppend(name + " message " + std::to_string(m.message) + " " +
                      std::to_string(m.wParam) + " -> " + std::to_string(handled));
    }
    Window* w = Find(dialog);
    INT_PTR result = w->ended ? w->result : -1;
    if (!w->ended) JournalAppend(name + " never ended");
    state.windows.erase(dialog);
    JournalAppend("DialogBoxParamA " + std::to_string(id) + " returned " + std::to_string(result));
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    JournalAppend("EndDialog " + NameOf(hDlg) + " " + std::to_string(nResult));
    Window* w = Find(hDlg);
    if (!w) return FALSE;
    w->ended = true;
    w->result = nResult;
    return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
    JournalAppend("SetDlgItemTextA " + NameOf(hDlg) + " " + std::to_string(nIDDlgItem));
    Window* w = Find(hDlg);
    if (!w) return FALSE;
    State().texts[std::make_pair(w->templateId, nIDDlgItem)] = lpString;
    return TRUE;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd) {
    Window* w = Find(hWnd);
    return w && uCmd == GW_OWNER ? w->owner : NULL;
}

HWND WINAPI GetDesktopWindow(void) {
    if (!State().desktop) standin::ResetDialogs();
    return State().desktop;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* w = Find(hWnd);
    if (!w) return FALSE;
    *lpRect = w->window;
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* w = Find(hWnd);
    if (!w) return FALSE;
    *lpRect = w->client;
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags) {
    JournalAppend("SetWindowPos " + NameOf(hWnd) + " " + std::to_string(X) + "," +
                  std::to_string(Y) + " after=" + NameOf(hWndInsertAfter) +
                  " flags=" + std::to_string(uFlags));
    Window* w = Find(hWnd);
    if (!w) return FALSE;
    const LONG width = (uFlags & SWP_NOSIZE) ? w->window.right - w->window.left : cx;
    const LONG height = (uFlags & SWP_NOSIZE) ? w->window.bottom - w->window.top : cy;
    w->window = Rect(X, Y, X + width, Y + height);
    return TRUE;
}
