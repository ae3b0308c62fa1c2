// The same fixture on the real registry, through calls the program itself
// never makes (create, links, set value, read-only open).
#include "registry_fixture.h"

#include <sddl.h>

#include <cstdio>
#include <stdexcept>

#include "registry/native_delete.h"
#include "registry/removal_plan.h"

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

HKEY OpenAsItself(HKEY parent, const std::string& path, REGSAM access) {
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), REG_OPTION_OPEN_LINK, access, &key) != ERROR_SUCCESS)
        return NULL;
    return key;
}

// Removes a tree without ever following a link in it: RegDeleteTree would
// empty and delete a link's target.
void DeleteTree(HKEY parent, const std::string& path) {
    HKEY key = OpenAsItself(parent, path, KEY_ALL_ACCESS);
    if (!key) return;
    std::vector<std::string> names;
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    for (const std::string& child : names) DeleteTree(key, child);
    NtDeleteKey(key);
    RegCloseKey(key);
}

std::string Hex(const BYTE* data, DWORD size) {
    std::string out;
    char byte[4];
    for (DWORD i = 0; i < size; ++i) {
        snprintf(byte, sizeof byte, "%02x", data[i]);
        out += byte;
    }
    return out;
}

void AppendTree(HKEY key, const std::string& name, bool withData, std::vector<std::string>& lines) {
    lines.push_back(name);
    char buffer[1024];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof buffer, type = 0, size = 0;
        BYTE data[4096];
        size = sizeof data;
        if (RegEnumValueA(key, i, buffer, &length, NULL, &type, withData ? data : NULL,
                          withData ? &size : NULL) != ERROR_SUCCESS)
            break;
        std::string line = name + " = " + buffer;
        if (withData) line += " (" + std::to_string(type) + ":" + Hex(data, size) + ")";
        lines.push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof buffer;
        if (RegEnumKeyExA(key, i, buffer, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        HKEY child = OpenAsItself(key, buffer, KEY_READ);
        if (!child) continue;
        AppendTree(child, name + "\\" + buffer, withData, lines);
        RegCloseKey(child);
    }
}

std::vector<std::string> ListTree(HKEY root, const std::string& path, bool withData) {
    std::vector<std::string> lines;
    HKEY key = OpenAsItself(root, path, KEY_READ);
    if (!key) return lines;
    AppendTree(key, path, withData, lines);
    RegCloseKey(key);
    return lines;
}

// Creates one level at a time: the ANSI calls take paths of at most
// MAX_PATH characters, and the tests use names up to 255 characters long.
HKEY CreatePath(HKEY root, const std::string& path, DWORD lastOptions = 0) {
    HKEY key = root;
    std::string::size_type start = 0;
    do {
        std::string::size_type end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        const DWORD options = end == path.size() ? lastOptions : 0;
        HKEY child;
        LONG result = RegCreateKeyExA(key, part.c_str(), 0, NULL, options,
                                      KEY_ALL_ACCESS | KEY_CREATE_LINK, NULL, &child, NULL);
        if (key != root) RegCloseKey(key);
        Check(result, "RegCreateKeyExA", path);
        key = child;
        start = end + 1;
    } while (start <= path.size());
    return key;
}

// The native name of the key behind a root and a path, as a link names it.
std::wstring NativeName(HKEY root, const std::string& path) {
    std::wstring name;
    if (root == HKEY_CLASSES_ROOT) {
        name = L"\\Registry\\Machine\\Software\\Classes";
    } else {
        HANDLE token;
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
        BYTE buffer[256];
        DWORD size = sizeof buffer;
        GetTokenInformation(token, TokenUser, buffer, size, &size);
        CloseHandle(token);
        LPWSTR sid;
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
        name = std::wstring(L"\\Registry\\User\\") + sid;
        LocalFree(sid);
    }
    for (char c : "\\" + path) name += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return name;
}

}  // namespace

void Reset() {
    DeleteTree(HKEY_CURRENT_USER, kSandbox);
    for (int i = 0; i < kRemovalStepCount; ++i)
        DeleteTree(kRemovalPlan[i].root, kRemovalPlan[i].path);
    for (const char* target : kLinkTargets) {
        std::string path;
        HKEY root = TargetRoot(target, &path);
        DeleteTree(root, path);
    }
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

void AddLink(HKEY root, const std::string& path, const std::string& target) {
    std::string targetPath;
    HKEY targetRoot = TargetRoot(target, &targetPath);
    const std::wstring name = NativeName(targetRoot, targetPath);
    HKEY key = CreatePath(root, path, REG_OPTION_CREATE_LINK);
    LONG result = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                                 reinterpret_cast<const BYTE*>(name.c_str()),
                                 static_cast<DWORD>(name.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    Check(result, "RegSetValueExW SymbolicLinkValue", path);
}

bool Exists(HKEY root, const std::string& path) {
    HKEY key = OpenAsItself(root, path, KEY_READ);
    if (!key) return false;
    RegCloseKey(key);
    return true;
}

std::vector<std::string> Tree(HKEY root, const std::string& path) {
    return ListTree(root, path, false);
}

std::vector<std::string> DumpTree(HKEY root, const std::string& path) {
    return ListTree(root, path, true);
}

}  // namespace fixture
