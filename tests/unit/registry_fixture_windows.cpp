// The same fixture on the real registry, through calls the program itself
// never makes (create, links, set value, read-only open).
#include "registry_fixture.h"

#include <stdexcept>

#include "registry/removal_plan.h"
#include "registry_support.h"

namespace fixture {

namespace {

// Keys outside the plan that the link tests point at.
const char* const kLinkTargets[] = {"HKCU\\Software\\TavroLinkTargets",
                                    "HKCR\\TavroLinkTarget.Class"};

void Check(LONG result, const char* what, const std::string& path) {
    if (result != ERROR_SUCCESS)
        throw std::runtime_error(std::string(what) + " failed for " + path + ": " +
                                 std::to_string(result));
}

HKEY Create(HKEY root, const std::string& path, DWORD options = 0) {
    HKEY key = NULL;
    Check(regsupport::CreatePath(root, path, &key, options), "RegCreateKeyExA", path);
    return key;
}

std::vector<std::string> List(HKEY root, const std::string& path, regsupport::Values values) {
    regsupport::TreeOptions options;
    options.values = values;
    return regsupport::ListTree(root, path, path, options);
}

}  // namespace

void Reset() {
    regsupport::DeleteTree(HKEY_CURRENT_USER, kSandbox);
    for (int i = 0; i < kRemovalStepCount; ++i)
        regsupport::DeleteTree(kRemovalPlan[i].root, kRemovalPlan[i].path);
    for (const char* target : kLinkTargets) {
        std::string path;
        HKEY root = TargetRoot(target, &path);
        regsupport::DeleteTree(root, path);
    }
}

void AddKey(HKEY root, const std::string& path) {
    RegCloseKey(Create(root, path));
}

void AddValue(HKEY root, const std::string& path, const std::string& name) {
    HKEY key = Create(root, path);
    LONG result = regsupport::SetString(key, name, "1");
    RegCloseKey(key);
    Check(result, "RegSetValueExA", path);
}

void AddLink(HKEY root, const std::string& path, const std::string& target) {
    std::string targetPath;
    HKEY targetRoot = TargetRoot(target, &targetPath);
    HKEY key = Create(root, path, REG_OPTION_CREATE_LINK);
    LONG result = regsupport::SetLinkTarget(key, regsupport::NativeKeyName(targetRoot, targetPath));
    RegCloseKey(key);
    Check(result, "RegSetValueExW SymbolicLinkValue", path);
}

bool Exists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::vector<std::string> Tree(HKEY root, const std::string& path) {
    return List(root, path, regsupport::Values::kNames);
}

std::vector<std::string> DumpTree(HKEY root, const std::string& path) {
    return List(root, path, regsupport::Values::kTypeData);
}

}  // namespace fixture
