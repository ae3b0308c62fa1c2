// The same fixture on the real registry, through calls the program itself
// never makes (create, set value, read-only open, tree delete).
#include "registry_fixture.h"

#include <stdexcept>

namespace fixture {

namespace {

void Check(LONG result, const char* what, const std::string& path) {
    if (result != ERROR_SUCCESS)
        throw std::runtime_error(std::string(what) + " failed for " + path + ": " +
                                 std::to_string(result));
}

void DeleteTree(HKEY root, const char* path) {
    RegDeleteTreeA(root, path);
    RegDeleteKeyA(root, path);
}

void AppendTree(HKEY key, const std::string& name, std::vector<std::string>& lines) {
    lines.push_back(name);
    char buffer[1024];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof buffer;
        if (RegEnumValueA(key, i, buffer, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        lines.push_back(name + " = " + buffer);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof buffer;
        if (RegEnumKeyExA(key, i, buffer, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        HKEY child;
        if (RegOpenKeyExA(key, buffer, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        AppendTree(child, name + "\\" + buffer, lines);
        RegCloseKey(child);
    }
}

}  // namespace

void Reset() {
    DeleteTree(HKEY_CURRENT_USER, kSandbox);
    DeleteTree(HKEY_CLASSES_ROOT, ".tvr");
    DeleteTree(HKEY_CLASSES_ROOT, "Tavro.Document");
    DeleteTree(HKEY_CLASSES_ROOT, "CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}");
    DeleteTree(HKEY_CURRENT_USER, "Software\\Local AppWizard-Generated Applications");
    DeleteTree(HKEY_CURRENT_USER, "Software\\Morrowfen.");
}

// Creates one level at a time: the ANSI calls take paths of at most
// MAX_PATH characters, and the tests use names up to 255 characters long.
static HKEY CreatePath(HKEY root, const std::string& path) {
    HKEY key = root;
    std::string::size_type start = 0;
    do {
        std::string::size_type end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        HKEY child;
        LONG result =
            RegCreateKeyExA(key, part.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &child, NULL);
        if (key != root) RegCloseKey(key);
        Check(result, "RegCreateKeyExA", path);
        key = child;
        start = end + 1;
    } while (start <= path.size());
    return key;
}

void AddKey(HKEY root, const std::string& path) {
    RegCloseKey(CreatePath(root, path));
}

void AddValue(HKEY root, const std::string& path, const std::string& name) {
    HKEY key = CreatePath(root, path);
    const BYTE data[] = "1";
    LONG result = RegSetValueExA(key, name.c_str(), 0, REG_SZ, data, sizeof data);
    RegCloseKey(key);
    Check(result, "RegSetValueExA", path);
}

bool Exists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::vector<std::string> Tree(HKEY root, const std::string& path) {
    std::vector<std::string> lines;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return lines;
    AppendTree(key, path, lines);
    RegCloseKey(key);
    return lines;
}

}  // namespace fixture
