// The two dialog procedures and the module handle they load templates from.
#pragma once

#include <windows.h>

// Set once by WinMain before any dialog exists.
extern HINSTANCE g_hInstance;

// Main dialog (IDD_MAIN): the notice with OK, which runs the removal and then
// the result dialog, and Cancel, which leaves without touching the registry.
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Result dialog (IDD_RESULT): says the removal is done; OK or Cancel closes it.
INT_PTR CALLBACK ResultDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
