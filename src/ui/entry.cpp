// Program entry: one modal dialog on the desktop, exit code 0 on every path.
#include <windows.h>

#include "dialogs.h"
#include "resource.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd) {
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nShowCmd;
    g_hInstance = hInstance;
    DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(), MainDialogProc, 0);
    return 0;
}
