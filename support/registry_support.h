// Windows-side registry support for the tests, tools and benchmarks (never the
// program): making keys and values, listing trees, and removing test trees,
// all without following registry links unless asked to.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace regsupport {

// Creates `path` below `root` one level at a time (the ANSI calls take paths
// of at most MAX_PATH characters; names may be 255 long) and returns the
// last key open. `lastOptions` applies to the last level, for example
// REG_OPTION_CREATE_LINK.
// The path is split at every backslash byte, so its names must be ASCII;
// CreateKey takes one name as it is (a code page 932 name may hold 0x5C as
// a trail byte).
LONG CreatePath(HKEY root, const std::string& path, HKEY* key, DWORD lastOptions = 0);
LONG CreateKey(HKEY parent, const std::string& name, HKEY* key, DWORD options = 0);

LONG SetString(HKEY key, const std::string& name, const std::string& value);
// Makes a key created with REG_OPTION_CREATE_LINK point at `target`, a native
// key name such as NativeKeyName() gives.
LONG SetLinkTarget(HKEY key, const std::wstring& target);
// "\Registry\User\<sid>\path" for HKCU, "\Registry\Machine\Software\Classes\path"
// for HKCR.
std::wstring NativeKeyName(HKEY root, const std::string& path);

enum class Links { kShow, kFollow };
enum class Values {
    kNames,     // "key = name"
    kTypeData,  // "key = name (type:hex bytes)", byte for byte
    kReadable,  // "key = name "text"", "dword:0000000a", "link:<target>"
};

struct TreeOptions {
    Links links = Links::kShow;  // a link as itself, or as the key it points at
    Values values = Values::kNames;
    REGSAM view = 0;  // KEY_WOW64_64KEY or KEY_WOW64_32KEY, or the process's own
};

// The subtree in pre-order, one line per key and value, each key named by
// `shown` and the subkey names below it; empty when the key does not open.
std::vector<std::string> ListTree(HKEY root, const std::string& path, const std::string& shown,
                                  const TreeOptions& options = TreeOptions());

// Removes a tree, links inside it as links; RegDeleteTree would follow them.
void DeleteTree(HKEY root, const std::string& path);

}  // namespace regsupport
