#include "dialogs.h"

#include <string>

#include "notice.h"
#include "placement.h"
#include "registry/removal_plan.h"
#include "resource.h"

HINSTANCE g_hInstance = NULL;

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
        case WM_INITDIALOG: {
            CenterDialog(dialog);
            std::string text;
            BuildNoticeText(text);
            SetDlgItemTextA(dialog, IDC_NOTICE, text.c_str());
            return TRUE;  // the dialog manager focuses OK, the first tab stop
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    // Runs to its end on this thread; the dialog waits meanwhile.
                    RunRemoval();
                    DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_RESULT), dialog,
                                    ResultDialogProc, 0);
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            break;
    }
    return FALSE;
}

INT_PTR CALLBACK ResultDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
        case WM_INITDIALOG:
            CenterDialog(dialog);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                case IDCANCEL:
                    EndDialog(dialog, LOWORD(wParam));
                    return TRUE;
            }
            break;
    }
    return FALSE;
}
