// Time from starting a dialog program to its dialog being visible, measured
// inside Wine so that Wine's own start-up of this helper does not count.
//
//   startup_latency.exe PROGRAM CAPTION RUNS
//
// Prints one line per run: "SECONDS". Each dialog is then cancelled.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "clock.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: startup_latency.exe PROGRAM CAPTION RUNS\n");
        return 2;
    }
    const int runs = atoi(argv[3]);
    for (int run = 0; run < runs; ++run) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process;
        const double start = Now();
        if (!CreateProcessA(argv[1], NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
            fprintf(stderr, "startup_latency: cannot start %s: %lu\n", argv[1], GetLastError());
            return 1;
        }
        HWND dialog = NULL;
        while (!(dialog = FindWindowA("#32770", argv[2])) || !IsWindowVisible(dialog)) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 || Now() - start > 60) {
                fprintf(stderr, "startup_latency: no dialog from %s\n", argv[1]);
                return 1;
            }
            Sleep(1);
        }
        const double seconds = Now() - start;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        printf("%.6f\n", seconds);
        fflush(stdout);
    }
    return 0;
}
