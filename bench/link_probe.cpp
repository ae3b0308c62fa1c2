// What the removal does with a registry symbolic link inside a target tree:
// "Software\Morrowfen.\Quorvane\Shared" is made a link to
// "Software\Outside", a key outside the plan. Prints the keys around it
// before and after RunRemoval, links shown as themselves, values with their
// types and data.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "registry/removal_plan.h"
#include "registry_support.h"

namespace {

const char kOutside[] = "Software\\Outside";
const char kQuorvane[] = "Software\\Morrowfen.\\Quorvane";

void Show(const char* when) {
    printf("%s:\n", when);
    regsupport::TreeOptions options;
    options.values = regsupport::Values::kReadable;
    for (const char* path : {kOutside, "Software\\Morrowfen."})
        for (const std::string& line :
             regsupport::ListTree(HKEY_CURRENT_USER, path, std::string("HKCU\\") + path, options))
            printf("  %s\n", line.c_str());
}

HKEY Create(const std::string& path, DWORD options = 0) {
    HKEY key = NULL;
    LONG result = regsupport::CreatePath(HKEY_CURRENT_USER, path, &key, options);
    if (result != ERROR_SUCCESS) {
        printf("RegCreateKeyExA %s: %ld\n", path.c_str(), result);
        exit(1);
    }
    return key;
}

}  // namespace

int main() {
    regsupport::DeleteTree(HKEY_CURRENT_USER, kOutside);
    regsupport::DeleteTree(HKEY_CURRENT_USER, "Software\\Morrowfen.");

    HKEY key = Create(std::string(kOutside) + "\\Data");
    regsupport::SetString(key, "Important", "keep me");
    RegCloseKey(key);
    key = Create(kOutside);
    regsupport::SetString(key, "TopValue", "keep me");
    RegCloseKey(key);
    RegCloseKey(Create(std::string(kQuorvane) + "\\Settings"));

    key = Create(std::string(kQuorvane) + "\\Shared", REG_OPTION_CREATE_LINK);
    LONG result =
        regsupport::SetLinkTarget(key, regsupport::NativeKeyName(HKEY_CURRENT_USER, kOutside));
    RegCloseKey(key);
    printf("link %s\\Shared -> HKCU\\%s: %ld\n\n", kQuorvane, kOutside, result);

    Show("before RunRemoval");
    RunRemoval();
    Show("\nafter RunRemoval");
    return 0;
}
