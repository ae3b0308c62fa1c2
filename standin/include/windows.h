// Host stand-in for the small part of the Windows API that this program uses.
// Only the types, constants and calls the program needs are declared here; the
// stand-in library behind them is an in-memory registry and a scripted dialog
// manager (see standin/registry.h and standin/dialogs.h for the test controls).
#pragma once

#include <cstddef>
#include <cstdint>

// Calling conventions and annotations have no meaning on the host.
#define WINAPI
#define CALLBACK
#define NTAPI

typedef int BOOL;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef DWORD REGSAM;
typedef DWORD* LPDWORD;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* HANDLE;

#ifndef NULL
#define NULL 0
#endif
#define TRUE 1
#define FALSE 0

// Opaque handles, distinct types as on the platform.
typedef struct HKEY__* HKEY;
typedef struct HWND__* HWND;
typedef struct HINSTANCE__* HINSTANCE;
typedef HKEY* PHKEY;

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define LOWORD(l) ((WORD)(((ULONG_PTR)(l)) & 0xffff))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))

// Predefined registry roots: fixed handle values, never opened or closed.
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_KEY_DELETED 1018L

#define KEY_READ 0x20019u
#define KEY_ALL_ACCESS 0xF003Fu

// Open the key itself even when it is a registry link, not the link's target.
#define REG_OPTION_OPEN_LINK 0x00000008u

#define WM_PAINT 0x000Fu
#define WM_CLOSE 0x0010u
#define WM_INITDIALOG 0x0110u
#define WM_COMMAND 0x0111u

// Notification codes in the high word of WM_COMMAND's wParam.
#define BN_CLICKED 0
#define EN_SETFOCUS 0x0100

#define IDOK 1
#define IDCANCEL 2

#define GW_OWNER 4

#define SWP_NOSIZE 0x0001u
#define SWP_NOZORDER 0x0004u

// Registry (ADVAPI32, ANSI forms).
LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult);
LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                          LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                          PFILETIME lpftLastWriteTime);
LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
LONG WINAPI RegCloseKey(HKEY hKey);
// Deletes the key behind an open handle (NTDLL); an NTSTATUS, 0 on success.
LONG NTAPI NtDeleteKey(HANDLE KeyHandle);

// Windows and dialogs (USER32, ANSI forms).
INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam);
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
HWND WINAPI GetWindow(HWND hWnd, UINT uCmd);
HWND WINAPI GetDesktopWindow(void);
BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy,
                         UINT uFlags);
