// Deleting a key through its own handle. ntdll exports this call but the SDK
// headers do not declare it; the host stand-in declares its own.
#pragma once

#include <windows.h>

#ifdef _WIN32
extern "C" __declspec(dllimport) LONG NTAPI NtDeleteKey(HANDLE keyHandle);
#endif
