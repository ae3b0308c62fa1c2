#include "placement.h"

BOOL CenterDialog(HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner == NULL) owner = GetDesktopWindow();

    RECT ownerRect;
    RECT client;
    GetWindowRect(owner, &ownerRect);
    GetClientRect(dialog, &client);

    // Signed division truncates toward zero, also left of or above the screen.
    const LONG x = (ownerRect.left + ownerRect.right - client.right) / 2;
    const LONG y = (ownerRect.top + ownerRect.bottom - client.bottom) / 2;
    return SetWindowPos(dialog, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
