#include "registry_key.h"

#include "native_delete.h"

namespace {

// Longest subkey name the registry hands out, with room to spare for
// double-byte characters and the terminating NUL.
const DWORD kNameBufferSize = 1024;

// The walk ends on ERROR_NO_MORE_ITEMS. Any other failure skips one index,
// but a handle whose key was deleted under us fails at every index forever,
// so a run of this many failures in a row also ends it. A live key fails, if
// ever, at isolated indices, so no real subkey is lost to this rule.
const DWORD kMaxFailuresInARow = 256;

}  // namespace

int RegistryKey::Open(HKEY parent, const char* path) {
    Close();
    // A link is opened as itself. It has no subkeys of its own, so the walk
    // never descends into its target, and deleting it through this handle
    // removes the link, not the key it points at.
    if (RegOpenKeyExA(parent, path, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
        isOpen = 1;
    return isOpen;
}

void RegistryKey::Close() {
    if (isOpen) RegCloseKey(key);
    isOpen = 0;
}

void RegistryKey::EnumSubKeys(SubKeyList& names) const {
    if (!isOpen) return;
    char name[kNameBufferSize];
    DWORD failuresInARow = 0;
    for (DWORD index = 0;; ++index) {
        DWORD length = kNameBufferSize;
        LONG result = RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS) return;
        if (result == ERROR_SUCCESS) {
            names.push_back(name);
            failuresInARow = 0;
        } else if (++failuresInARow == kMaxFailuresInARow) {
            return;
        }
    }
}

void RegistryKey::DeleteSubKeys() {
    if (!isOpen) return;
    // Collect every name before deleting anything: deleting while enumerating
    // would shift the indices and skip keys.
    SubKeyList names;
    EnumSubKeys(names);
    RegistryKey child;
    for (SubKeyList::const_iterator it = names.begin(); it != names.end(); ++it) {
        // A subkey that vanished or refuses full access keeps its subtree.
        if (!child.Open(key, it->c_str())) continue;
        child.DeleteSubKeys();
        // Through the child's own handle, not by name: a name that is a link
        // would be resolved again and hit the link's target.
        child.Delete();
    }
}

void RegistryKey::Delete() {
    if (!isOpen) return;
    NtDeleteKey(key);
    Close();
}

int RegistryKey::HasNoSubKeys() const {
    if (!isOpen) return 0;
    SubKeyList names;
    EnumSubKeys(names);
    return names.empty() ? 1 : 0;
}
