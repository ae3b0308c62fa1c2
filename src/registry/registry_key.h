// Owner of one open registry key handle, with the few operations the removal
// needs: open with full access, list direct subkeys, empty and delete the key,
// and test it for subkeys.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Names of direct subkeys in the order the registry listed them, in the ANSI
// code page and handed back to the registry unchanged.
typedef std::vector<std::string> SubKeyList;

class RegistryKey {
public:
    RegistryKey() : isOpen(0), key(NULL) {}
    ~RegistryKey() { Close(); }

    // Opens the key that `path` names as itself: when its last component is a
    // registry link, the link is opened, never its target. Closes any held
    // handle first; a failed open leaves the object closed.
    int Open(HKEY parent, const char* path);
    void Close();

    // Appends the names of the direct subkeys; keeps what `names` holds.
    void EnumSubKeys(SubKeyList& names) const;
    // Deletes every key below this one, depth first; this key itself stays.
    void DeleteSubKeys();
    // Deletes this key through its own handle, then closes it. Fails silently
    // while the key still has subkeys.
    void Delete();
    // 1 when open and without subkeys (values do not count); 0 otherwise.
    int HasNoSubKeys() const;

private:
    RegistryKey(const RegistryKey&);
    RegistryKey& operator=(const RegistryKey&);

    int isOpen;
    HKEY key;
};
