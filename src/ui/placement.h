// Dialog placement.
#pragma once

#include <windows.h>

// Centres the dialog on its owner, or on the desktop when it has none. The
// dialog's client size is used, so the frame and caption shift it slightly
// right and down of the exact centre. Returns SetWindowPos's result.
BOOL CenterDialog(HWND dialog);
