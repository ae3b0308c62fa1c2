#include "registry_support.h"

#include <sddl.h>

#include <cstdio>

#include "registry/native_delete.h"

namespace regsupport {

namespace {

std::string Hex(const BYTE* data, DWORD size) {
    std::string out;
    char byte[4];
    for (DWORD i = 0; i < size; ++i) {
        snprintf(byte, sizeof byte, "%02x", data[i]);
        out += byte;
    }
    return out;
}

std::string Ansi(const wchar_t* text, size_t length) {
    std::string out(length * 3 + 1, '\0');
    int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &out[0],
                                   static_cast<int>(out.size()), NULL, NULL);
    out.resize(size > 0 ? size : 0);
    return out;
}

std::string Readable(DWORD type, const BYTE* data, DWORD size) {
    char buf[48];
    switch (type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            return "\"" + std::string(reinterpret_cast<const char*>(data), size ? size - 1 : 0) +
                   "\"";
        case REG_DWORD:
            snprintf(buf, sizeof buf, "dword:%08lx",
                     size == 4 ? *reinterpret_cast<const DWORD*>(data) : 0ul);
            return buf;
        case REG_LINK:
            return "link:" + Ansi(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
        default:
            snprintf(buf, sizeof buf, "type %lu, %lu bytes", type, size);
            return buf;
    }
}

HKEY Open(HKEY parent, const std::string& path, const TreeOptions& options) {
    HKEY key;
    const DWORD flags = options.links == Links::kShow ? REG_OPTION_OPEN_LINK : 0;
    if (RegOpenKeyExA(parent, path.c_str(), flags, KEY_READ | options.view, &key) != ERROR_SUCCESS)
        return NULL;
    return key;
}

void Append(HKEY key, const std::string& shown, const TreeOptions& options,
            std::vector<std::string>& lines) {
    lines.push_back(shown);
    // One set of buffers for every level: each level copies out what it needs
    // before it descends, and deep trees would not fit these on the stack.
    static char name[16384];
    static BYTE data[65536];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
        const bool withData = options.values != Values::kNames;
        LONG result = RegEnumValueA(key, i, name, &nameSize, NULL, &type, withData ? data : NULL,
                                    withData ? &dataSize : NULL);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;
        std::string line = shown + " = ";
        switch (options.values) {
            case Values::kNames:
                line += name;
                break;
            case Values::kTypeData:
                line += std::string(name) + " (" + std::to_string(type) + ":" +
                        Hex(data, dataSize) + ")";
                break;
            case Values::kReadable:
                line += std::string(*name ? name : "@") + " " + Readable(type, data, dataSize);
                break;
        }
        lines.push_back(line);
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        LONG result = RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) children.push_back(name);
    }
    for (const std::string& child : children) {
        HKEY sub = Open(key, child, options);
        if (!sub) continue;
        Append(sub, shown + "\\" + child, options, lines);
        RegCloseKey(sub);
    }
}

}  // namespace

LONG CreatePath(HKEY root, const std::string& path, HKEY* key, DWORD lastOptions) {
    HKEY current = root;
    std::string::size_type start = 0;
    LONG result = ERROR_SUCCESS;
    do {
        std::string::size_type end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = path.substr(start, end - start);
        const DWORD options = end == path.size() ? lastOptions : 0;
        HKEY child = NULL;
        result = CreateKey(current, part, &child, options);
        if (current != root) RegCloseKey(current);
        if (result != ERROR_SUCCESS) return result;
        current = child;
        start = end + 1;
    } while (start <= path.size());
    *key = current;
    return result;
}

LONG CreateKey(HKEY parent, const std::string& name, HKEY* key, DWORD options) {
    return RegCreateKeyExA(parent, name.c_str(), 0, NULL, options, KEY_ALL_ACCESS | KEY_CREATE_LINK,
                           NULL, key, NULL);
}

LONG SetString(HKEY key, const std::string& name, const std::string& value) {
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

LONG SetLinkTarget(HKEY key, const std::wstring& target) {
    return RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                          reinterpret_cast<const BYTE*>(target.c_str()),
                          static_cast<DWORD>(target.size() * sizeof(wchar_t)));
}

std::wstring NativeKeyName(HKEY root, const std::string& path) {
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
    if (!path.empty()) name += L"\\";
    for (char c : path) name += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return name;
}

std::vector<std::string> ListTree(HKEY root, const std::string& path, const std::string& shown,
                                  const TreeOptions& options) {
    std::vector<std::string> lines;
    HKEY key = Open(root, path, options);
    if (!key) return lines;
    Append(key, shown, options, lines);
    RegCloseKey(key);
    return lines;
}

void DeleteTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return;
    std::vector<std::string> names;
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        LONG result = RegEnumKeyExA(key, i, name, &length, NULL, NULL, NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) names.push_back(name);
    }
    for (const std::string& child : names) DeleteTree(key, child);
    NtDeleteKey(key);
    RegCloseKey(key);
}

}  // namespace regsupport
