// What the removal does with a registry symbolic link inside a target tree:
// "Software\Morrowfen.\Quorvane\Shared" is made a link to
// "Software\Outside", a key outside the plan. Prints the keys before and
// after RunRemoval, and what the link key itself looks like afterwards.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <string>

#include "registry/removal_plan.h"

namespace {

const char kOutside[] = "Software\\Outside";
const char kQuorvane[] = "Software\\Morrowfen.\\Quorvane";

void Tree(HKEY parent, const std::string& path, const std::string& shown) {
    HKEY key;
    // REG_OPTION_OPEN_LINK shows links as themselves, not as their targets.
    if (RegOpenKeyExA(parent, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    printf("  %s\n", shown.c_str());
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name, type = 0;
        if (RegEnumValueA(key, i, name, &size, NULL, &type, NULL, NULL) != ERROR_SUCCESS) break;
        printf("  %s = %s%s\n", shown.c_str(), name, type == REG_LINK ? " (REG_LINK)" : "");
    }
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        Tree(key, name, shown + "\\" + name);
    }
    RegCloseKey(key);
}

void Show(const char* when) {
    printf("%s:\n", when);
    Tree(HKEY_CURRENT_USER, kOutside, std::string("HKCU\\") + kOutside);
    Tree(HKEY_CURRENT_USER, "Software\\Morrowfen.", "HKCU\\Software\\Morrowfen.");
}

HKEY Create(const std::string& path, DWORD options = 0) {
    HKEY key;
    LONG result = RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, NULL, options,
                                  KEY_ALL_ACCESS | KEY_CREATE_LINK, NULL, &key, NULL);
    if (result != ERROR_SUCCESS) {
        printf("RegCreateKeyExA %s: %ld\n", path.c_str(), result);
        exit(1);
    }
    return key;
}

void Value(HKEY key, const char* name) {
    const BYTE data[] = "keep me";
    RegSetValueExA(key, name, 0, REG_SZ, data, sizeof data);
}

std::wstring UserKeyPath() {
    HANDLE token;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[256];
    DWORD size = sizeof buffer;
    GetTokenInformation(token, TokenUser, buffer, size, &size);
    CloseHandle(token);
    LPWSTR sid;
    ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
    std::wstring path = std::wstring(L"\\Registry\\User\\") + sid;
    LocalFree(sid);
    return path;
}

}  // namespace

int main() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kOutside);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Morrowfen.");

    HKEY key = Create(std::string(kOutside) + "\\Data");
    Value(key, "Important");
    RegCloseKey(key);
    key = Create(kOutside);
    Value(key, "TopValue");
    RegCloseKey(key);
    RegCloseKey(Create(std::string(kQuorvane) + "\\Settings"));

    key = Create(std::string(kQuorvane) + "\\Shared", REG_OPTION_CREATE_LINK);
    const std::wstring target = UserKeyPath() + L"\\Software\\Outside";
    LONG result = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                                 reinterpret_cast<const BYTE*>(target.c_str()),
                                 static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    printf("link %s\\Shared -> %ls: %ld\n\n", kQuorvane, target.c_str(), result);

    Show("before RunRemoval");
    RunRemoval();
    Show("\nafter RunRemoval");
    return 0;
}
