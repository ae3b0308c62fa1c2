// Test controls of the host stand-in registry: seed keys, inject faults, and
// read back what the program did (calls made, handles left open).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

// Empties both roots and forgets faults, calls and handles.
void ResetRegistry();
// Whether calls are logged (the default). Benchmarks of huge trees turn it off.
void SetRecording(bool on);

// Creates the key and any missing parents below the root.
void AddKey(HKEY root, const std::string& path);
void AddValue(HKEY root, const std::string& path, const std::string& valueName);
// Creates the key below an open key or a root if missing and returns an open
// handle to it, which the caller closes with RegCloseKey.
HKEY CreateKey(HKEY parent, const std::string& name);
// Makes `path` a registry link to `targetPath` below `targetRoot`, which need
// not exist. The link carries its SymbolicLinkValue and has no subkeys.
void AddLink(HKEY root, const std::string& path, HKEY targetRoot, const std::string& targetPath);
// Whether the key exists, links not followed.
bool KeyExists(HKEY root, const std::string& path);

// Every live key and value in pre-order, one line each: "HKCU\a\b" for a key,
// "HKCU\a\b = name" for a value; a link shows as a key with the value
// SymbolicLinkValue. Equal snapshots mean an unchanged registry.
std::vector<std::string> Snapshot();

// Opening the key with full access answers ERROR_ACCESS_DENIED, and so does
// deleting it, as for a key whose security denies the user.
void RefuseFullAccess(HKEY root, const std::string& path);
// RegEnumKeyExA on the key answers `code` at one index, or at every index.
void FailEnumAt(HKEY root, const std::string& path, DWORD index, LONG code);
void FailEnumAlways(HKEY root, const std::string& path, LONG code);
// Another program deletes the key's whole tree just as the walk asks for
// `index`; open handles to it then answer ERROR_KEY_DELETED, as on Windows.
void DeleteTreeOnEnum(HKEY root, const std::string& path, DWORD index);

struct RegistryCall {
    // "open", "open-link" (REG_OPTION_OPEN_LINK), "enum", "delete" (by name),
    // "ntdelete" (through the key's handle) or "close"
    std::string op;
    std::string key;  // full name of the key acted on, e.g. "HKCR\.tvr"
    DWORD index;      // enumeration index, 0 for the other calls
    LONG result;
};
const std::vector<RegistryCall>& RegistryCalls();
void ClearRegistryCalls();
// The keys of the successful deletions, in call order.
std::vector<std::string> DeletedKeys();

int OpenHandleCount();
// Closes of a root, of an unknown handle or of a handle closed before.
int BadCloseCount();

}  // namespace standin
