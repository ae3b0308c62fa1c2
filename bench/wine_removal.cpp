// Removal times on the real registry under Wine: the program's DeleteKeyTree
// against RegDeleteTreeA and against `reg delete /f`, each on an identical,
// freshly seeded tree.
//
//   wine_removal.exe SHAPE KEYS RUNS
//
// Prints one line per run: "SHAPE KEYS METHOD SECONDS".
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "clock.h"
#include "registry/key_remover.h"
#include "registry_support.h"
#include "tree_shapes.h"

namespace {

const char kTop[] = "Software\\TavroBench\\T";

void Fail(const char* what, LONG code) {
    fprintf(stderr, "wine_removal: %s failed: %ld\n", what, code);
    exit(1);
}

HKEY Create(HKEY parent, const std::string& path) {
    HKEY key = NULL;
    LONG result = regsupport::CreatePath(parent, path, &key);
    if (result != ERROR_SUCCESS) Fail("RegCreateKeyExA", result);
    return key;
}

void Seed(const char* shape, int keys) {
    const BYTE data[] = "value";
    auto create = [&](HKEY parent, const std::string& name) {
        HKEY key = Create(parent, name);
        RegSetValueExA(key, "v", 0, REG_SZ, data, sizeof data);
        return key;
    };
    HKEY top = create(HKEY_CURRENT_USER, kTop);
    SeedTree(shape, keys, top, create, RegCloseKey);
    RegCloseKey(top);
}

bool TopExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kTop, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void RunReg() {
    char command[] = "reg.exe delete \"HKCU\\Software\\TavroBench\\T\" /f";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &startup,
                        &process))
        Fail("CreateProcessA reg.exe", static_cast<LONG>(GetLastError()));
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || !IsShape(argv[1])) {
        fprintf(stderr, "usage: wine_removal.exe wide|deep|bushy KEYS RUNS\n");
        return 2;
    }
    const char* shape = argv[1];
    const int keys = atoi(argv[2]);
    const int runs = atoi(argv[3]);
    const char* methods[] = {"DeleteKeyTree", "RegDeleteTreeA", "reg delete"};
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TavroBench");
    for (int run = 0; run < runs; ++run) {
        for (const char* method : methods) {
            Seed(shape, keys);
            const double start = Now();
            if (method == methods[0]) {
                KeyRemover().DeleteKeyTree(HKEY_CURRENT_USER, kTop);
            } else if (method == methods[1]) {
                RegDeleteTreeA(HKEY_CURRENT_USER, kTop);
            } else {
                RunReg();
            }
            const double seconds = Now() - start;
            if (TopExists()) {
                fprintf(stderr, "wine_removal: %s left the tree in place\n", method);
                return 1;
            }
            printf("%s %d %s %.6f\n", shape, keys, method, seconds);
            fflush(stdout);
        }
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TavroBench");
    return 0;
}
