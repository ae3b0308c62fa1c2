// Prints registry subtrees, one line per key and per value, for showing the
// registry before and after a removal:
//
//   regtree.exe "HKCU\Software\Morrowfen." "HKCR\.tvr"
//
// Missing keys print nothing. Keys are read in the 64-bit view where there is
// one (a 32-bit program's HKCR\CLSID shows as HKCR\Wow6432Node\CLSID), and a
// registry link shows as itself, with its target in its SymbolicLinkValue,
// never as the key it points at.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Read-only, links as themselves, the 64-bit view.
const DWORD kOptions = REG_OPTION_OPEN_LINK;
const REGSAM kAccess = KEY_READ | KEY_WOW64_64KEY;

std::string Ansi(const wchar_t* text, size_t length) {
    std::string out(length * 3, '\0');
    int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), &out[0],
                                   static_cast<int>(out.size()), NULL, NULL);
    out.resize(size > 0 ? size : 0);
    return out;
}

std::string Data(DWORD type, const BYTE* data, DWORD size) {
    char buf[32];
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

void Print(HKEY key, const std::string& name) {
    printf("%s\n", name.c_str());
    char valueName[16384];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof valueName, dataSize = sizeof data, type = 0;
        LONG result = RegEnumValueA(key, i, valueName, &nameSize, NULL, &type, data, &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;
        printf("%s = %s%s\n", name.c_str(), *valueName ? valueName : "@",
               (" " + Data(type, data, dataSize)).c_str());
    }
    char subName[1024];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof subName;
        LONG result = RegEnumKeyExA(key, i, subName, &size, NULL, NULL, NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) continue;
        HKEY child;
        if (RegOpenKeyExA(key, subName, kOptions, kAccess, &child) != ERROR_SUCCESS) continue;
        Print(child, name + "\\" + subName);
        RegCloseKey(child);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        HKEY root;
        if (arg.compare(0, 5, "HKCR\\") == 0)
            root = HKEY_CLASSES_ROOT;
        else if (arg.compare(0, 5, "HKCU\\") == 0)
            root = HKEY_CURRENT_USER;
        else {
            fprintf(stderr, "regtree: %s: start with HKCR\\ or HKCU\\\n", argv[i]);
            return 2;
        }
        HKEY key;
        if (RegOpenKeyExA(root, arg.c_str() + 5, kOptions, kAccess, &key) != ERROR_SUCCESS)
            continue;
        Print(key, arg);
        RegCloseKey(key);
    }
    fflush(stdout);
    return 0;
}
