// Test helper run under Wine beside the program: prints, as one JSON object,
// every visible dialog on the desktop with its geometry, owner, focus and
// controls, so the end-to-end driver can check the live windows.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), NULL, 0,
                                   NULL, NULL);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, NULL,
                        NULL);
    return out;
}

std::string Json(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Number(long long value) {
    return std::to_string(value);
}

std::string Handle(HWND hwnd) {
    return Number(reinterpret_cast<uintptr_t>(hwnd));
}

std::string Rect(const RECT& r) {
    return "[" + Number(r.left) + "," + Number(r.top) + "," + Number(r.right) + "," +
           Number(r.bottom) + "]";
}

// WM_GETTEXT rather than GetWindowText, which does not ask a window of
// another process for its text.
std::wstring Text(HWND hwnd) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    return text;
}

// The text in the ANSI code page, as the program handed it over.
std::string AnsiHex(HWND hwnd) {
    DWORD_PTR length = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    std::string text(length * 2 + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(copied);
    std::string hex;
    for (unsigned char c : text) {
        char buf[3];
        snprintf(buf, sizeof buf, "%02x", c);
        hex += buf;
    }
    return hex;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256];
    int length = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, length);
}

// Finds the caption's close box by asking the window what lies under points
// along its caption, from the right edge inwards.
std::string CloseBox(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    for (LONG y = r.top + 1; y < r.top + 40; ++y) {
        for (LONG x = r.right - 1; x > r.right - 60; --x) {
            DWORD_PTR hit = 0;
            SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 1000,
                                &hit);
            if (hit == HTCLOSE) return "[" + Number(x - 4) + "," + Number(y + 4) + "]";
        }
    }
    return "null";
}

struct Dialogs {
    std::vector<std::string> items;
};

BOOL CALLBACK AddControl(HWND control, LPARAM param) {
    auto* controls = reinterpret_cast<std::vector<std::string>*>(param);
    RECT r;
    GetWindowRect(control, &r);
    controls->push_back(
        "{\"hwnd\":" + Handle(control) + ",\"class\":" + Json(Utf8(ClassOf(control))) +
        ",\"id\":" + Number(static_cast<short>(GetDlgCtrlID(control))) +
        ",\"text\":" + Json(Utf8(Text(control))) + ",\"ansi\":\"" + AnsiHex(control) + "\"" +
        ",\"style\":" + Number(static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE))) +
        ",\"exstyle\":" + Number(static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE))) +
        ",\"rect\":" + Rect(r) + "}");
    return TRUE;
}

BOOL CALLBACK AddDialog(HWND hwnd, LPARAM param) {
    if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != L"#32770") return TRUE;
    auto* dialogs = reinterpret_cast<Dialogs*>(param);
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, NULL), &gui);
    std::vector<std::string> controls;
    EnumChildWindows(hwnd, AddControl, reinterpret_cast<LPARAM>(&controls));
    std::string list;
    for (size_t i = 0; i < controls.size(); ++i) list += (i ? "," : "") + controls[i];
    dialogs->items.push_back(
        "{\"hwnd\":" + Handle(hwnd) + ",\"caption\":" + Json(Utf8(Text(hwnd))) +
        ",\"rect\":" + Rect(window) + ",\"client\":" + Rect(client) +
        ",\"owner\":" + Handle(GetWindow(hwnd, GW_OWNER)) +
        ",\"enabled\":" + (IsWindowEnabled(hwnd) ? "true" : "false") +
        ",\"style\":" + Number(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE))) +
        ",\"focus\":" + Handle(gui.hwndFocus) + ",\"closeBox\":" + CloseBox(hwnd) +
        ",\"controls\":[" + list + "]}");
    return TRUE;
}

}  // namespace

int main() {
    Dialogs dialogs;
    EnumWindows(AddDialog, reinterpret_cast<LPARAM>(&dialogs));
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    std::string out = "{\"desktop\":" + Rect(desktop) + ",\"dialogs\":[";
    for (size_t i = 0; i < dialogs.items.size(); ++i) out += (i ? "," : "") + dialogs.items[i];
    out += "]}\n";
    fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
