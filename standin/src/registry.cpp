// In-memory registry behind RegOpenKeyExA, RegEnumKeyExA, RegDeleteKeyA,
// RegCloseKey and NtDeleteKey. Keys compare without regard to ASCII case and
// enumerate in sorted order, as the real registry does. Registry links behave
// as on the platform: opening or deleting by name resolves them, except that
// REG_OPTION_OPEN_LINK opens the last component as itself. Lookups are logarithmic and a walk
// through the indices in order is constant time per step, so benchmarks of a
// million keys measure the program, not the stand-in.
#include <standin/journal.h>
#include <standin/registry.h>

#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <strings.h>
#include <unordered_map>

namespace {

// NTSTATUS codes of NtDeleteKey.
const LONG kStatusInvalidHandle = static_cast<LONG>(0xC0000008u);
const LONG kStatusAccessDenied = static_cast<LONG>(0xC0000022u);
const LONG kStatusKeyDeleted = static_cast<LONG>(0xC000017Cu);

// Links resolved in one lookup before it gives up, as for a link loop.
const int kMaxLinkHops = 32;

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

struct Node;
typedef std::map<std::string, std::shared_ptr<Node>, NoCaseLess> Children;

struct Node {
    std::string name;
    Node* parent = nullptr;    // null for a root and for the top of a removed tree
    std::string detachedName;  // full name of the top of a removed tree
    Children children;
    std::vector<std::string> values;
    // A link: opening it by name opens the key that this names instead.
    bool link = false;
    HKEY linkRoot = NULL;
    std::string linkPath;
    bool refused = false;
    bool deleted = false;
    std::map<DWORD, LONG> enumFaults;
    bool failAlways = false;
    LONG failAlwaysCode = 0;
    long deleteOnEnumIndex = -1;
    // Where the last enumeration call stood, for walks through the indices.
    bool cursorValid = false;
    DWORD cursorIndex = 0;
    Children::iterator cursor;
};

struct Registry {
    std::shared_ptr<Node> classesRoot;
    std::shared_ptr<Node> currentUser;
    std::unordered_map<uintptr_t, std::shared_ptr<Node>> handles;
    uintptr_t nextHandle = 0x1000;
    std::vector<standin::RegistryCall> calls;
    int badCloses = 0;
    bool recording = true;
};

Registry& Reg() {
    static Registry registry;
    return registry;
}

std::shared_ptr<Node> MakeRoot(const char* name) {
    auto root = std::make_shared<Node>();
    root->name = name;
    return root;
}

bool IsRoot(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER;
}

std::shared_ptr<Node> RootNode(HKEY root) {
    Registry& reg = Reg();
    if (!reg.classesRoot) {
        reg.classesRoot = MakeRoot("HKCR");
        reg.currentUser = MakeRoot("HKCU");
    }
    return root == HKEY_CLASSES_ROOT ? reg.classesRoot : reg.currentUser;
}

std::string FullName(const Node& node) {
    if (!node.parent) return node.detachedName.empty() ? node.name : node.detachedName;
    return FullName(*node.parent) + "\\" + node.name;
}

// The node behind a root or an open handle; null for anything else.
std::shared_ptr<Node> Resolve(HKEY key) {
    if (IsRoot(key)) return RootNode(key);
    auto it = Reg().handles.find(reinterpret_cast<uintptr_t>(key));
    return it == Reg().handles.end() ? nullptr : it->second;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= path.size()) {
        std::string::size_type end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::shared_ptr<Node> FindChild(const Node& parent, const std::string& name) {
    auto it = parent.children.find(name);
    return it == parent.children.end() ? nullptr : it->second;
}

// Raw lookup for the test controls: links are not followed.
std::shared_ptr<Node> Walk(std::shared_ptr<Node> node, const std::string& path) {
    for (const std::string& part : SplitPath(path)) {
        node = FindChild(*node, part);
        if (!node) return nullptr;
    }
    return node;
}

// Lookup as the platform does it: every link on the way is resolved, the
// last component too unless `openLink` asks for it as itself.
LONG Lookup(std::shared_ptr<Node> node, const std::string& path, bool openLink,
            std::shared_ptr<Node>* found, int hops = 0) {
    const std::vector<std::string> parts = SplitPath(path);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        node = FindChild(*node, parts[i]);
        if (!node) return ERROR_FILE_NOT_FOUND;
        const bool last = i + 1 == parts.size();
        if (node->link && !(last && openLink)) {
            if (++hops > kMaxLinkHops) return ERROR_FILE_NOT_FOUND;
            LONG result = Lookup(RootNode(node->linkRoot), node->linkPath, false, &node, hops);
            if (result != ERROR_SUCCESS) return result;
        }
    }
    *found = node;
    return ERROR_SUCCESS;
}

void MarkDeleted(Node& node) {
    node.deleted = true;
    for (auto& child : node.children) MarkDeleted(*child.second);
}

// Takes the key and its subtree out of the registry. Handles that still point
// into it stay valid objects but answer ERROR_KEY_DELETED from then on.
void Remove(Node& node) {
    Node& parent = *node.parent;
    if (Reg().recording) node.detachedName = FullName(node);
    node.parent = nullptr;
    parent.cursorValid = false;
    parent.children.erase(node.name);  // may release `node`
}

// The child at `index` in enumeration order, or null past the end.
std::shared_ptr<Node> ChildAt(Node& node, DWORD index) {
    if (index >= node.children.size()) return nullptr;
    if (node.cursorValid && index == node.cursorIndex + 1) {
        ++node.cursor;
    } else if (!node.cursorValid || index != node.cursorIndex) {
        node.cursor = std::next(node.children.begin(), index);
    }
    node.cursorValid = true;
    node.cursorIndex = index;
    return node.cursor->second;
}

LONG Log(const char* op, const Node* node, const std::string& path, DWORD index, LONG result) {
    Registry& reg = Reg();
    if (!reg.recording) return result;
    std::string key = node ? FullName(*node) : "?";
    if (!path.empty()) key += "\\" + path;
    reg.calls.push_back({op, key, index, result});
    standin::JournalAppend(std::string("Reg ") + op + " " + key + " -> " + std::to_string(result));
    return result;
}

void AppendSnapshot(const Node& node, std::vector<std::string>& lines) {
    const std::string name = FullName(node);
    lines.push_back(name);
    for (const std::string& value : node.values) lines.push_back(name + " = " + value);
    for (const auto& child : node.children) AppendSnapshot(*child.second, lines);
}

std::shared_ptr<Node> Seeded(HKEY root, const std::string& path) {
    standin::AddKey(root, path);
    return Walk(RootNode(root), path);
}

}  // namespace

namespace standin {

void ResetRegistry() {
    const bool recording = Reg().recording;
    Reg() = Registry();
    Reg().recording = recording;
    RootNode(HKEY_CLASSES_ROOT);
}

void SetRecording(bool on) {
    Reg().recording = on;
}

void AddKey(HKEY root, const std::string& path) {
    Reg().handles.erase(reinterpret_cast<uintptr_t>(CreateKey(root, path)));
}

HKEY CreateKey(HKEY parent, const std::string& name) {
    std::shared_ptr<Node> node = Resolve(parent);
    for (const std::string& part : SplitPath(name)) {
        std::shared_ptr<Node>& child = node->children[part];
        if (!child) {
            child = std::make_shared<Node>();
            child->name = part;
            child->parent = node.get();
            node->cursorValid = false;
        }
        node = child;
    }
    Registry& reg = Reg();
    const uintptr_t handle = reg.nextHandle;
    reg.nextHandle += 4;
    reg.handles[handle] = node;
    return reinterpret_cast<HKEY>(handle);
}

void AddValue(HKEY root, const std::string& path, const std::string& valueName) {
    Seeded(root, path)->values.push_back(valueName);
}

void AddLink(HKEY root, const std::string& path, HKEY targetRoot, const std::string& targetPath) {
    std::shared_ptr<Node> node = Seeded(root, path);
    node->link = true;
    node->linkRoot = targetRoot;
    node->linkPath = targetPath;
    node->values.push_back("SymbolicLinkValue");
}

bool KeyExists(HKEY root, const std::string& path) {
    return Walk(RootNode(root), path) != nullptr;
}

std::vector<std::string> Snapshot() {
    std::vector<std::string> lines;
    AppendSnapshot(*RootNode(HKEY_CLASSES_ROOT), lines);
    AppendSnapshot(*RootNode(HKEY_CURRENT_USER), lines);
    return lines;
}

void RefuseFullAccess(HKEY root, const std::string& path) {
    Seeded(root, path)->refused = true;
}

void FailEnumAt(HKEY root, const std::string& path, DWORD index, LONG code) {
    Seeded(root, path)->enumFaults[index] = code;
}

void FailEnumAlways(HKEY root, const std::string& path, LONG code) {
    std::shared_ptr<Node> node = Seeded(root, path);
    node->failAlways = true;
    node->failAlwaysCode = code;
}

void DeleteTreeOnEnum(HKEY root, const std::string& path, DWORD index) {
    Seeded(root, path)->deleteOnEnumIndex = static_cast<long>(index);
}

const std::vector<RegistryCall>& RegistryCalls() {
    return Reg().calls;
}

void ClearRegistryCalls() {
    Reg().calls.clear();
}

std::vector<std::string> DeletedKeys() {
    std::vector<std::string> keys;
    for (const RegistryCall& call : Reg().calls)
        if ((call.op == "delete" || call.op == "ntdelete") && call.result == ERROR_SUCCESS)
            keys.push_back(call.key);
    return keys;
}

int OpenHandleCount() {
    return static_cast<int>(Reg().handles.size());
}

int BadCloseCount() {
    return Reg().badCloses;
}

}  // namespace standin

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult) {
    std::shared_ptr<Node> parent = Resolve(hKey);
    const std::string path = lpSubKey ? lpSubKey : "";
    const char* op = (ulOptions & REG_OPTION_OPEN_LINK) ? "open-link" : "open";
    if (!parent) return Log(op, nullptr, path, 0, ERROR_INVALID_HANDLE);
    if (parent->deleted) return Log(op, parent.get(), path, 0, ERROR_KEY_DELETED);
    std::shared_ptr<Node> node;
    LONG result = Lookup(parent, path, (ulOptions & REG_OPTION_OPEN_LINK) != 0, &node);
    if (result != ERROR_SUCCESS) return Log(op, parent.get(), path, 0, result);
    if (node->refused && (samDesired & ~KEY_READ) != 0)
        return Log(op, node.get(), "", 0, ERROR_ACCESS_DENIED);
    Registry& reg = Reg();
    uintptr_t handle = reg.nextHandle;
    reg.nextHandle += 4;
    reg.handles[handle] = node;
    *phkResult = reinterpret_cast<HKEY>(handle);
    return Log(op, node.get(), "", 0, ERROR_SUCCESS);
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                          LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                          PFILETIME lpftLastWriteTime) {
    (void)lpReserved;
    (void)lpClass;
    (void)lpcchClass;
    (void)lpftLastWriteTime;
    std::shared_ptr<Node> node = Resolve(hKey);
    if (!node) return Log("enum", nullptr, "", dwIndex, ERROR_INVALID_HANDLE);
    if (node->deleteOnEnumIndex == static_cast<long>(dwIndex) && !node->deleted) {
        // Someone else removes the whole tree between two calls of the walk.
        MarkDeleted(*node);
        Remove(*node);
    }
    if (node->deleted) return Log("enum", node.get(), "", dwIndex, ERROR_KEY_DELETED);
    if (node->failAlways) return Log("enum", node.get(), "", dwIndex, node->failAlwaysCode);
    auto fault = node->enumFaults.find(dwIndex);
    if (fault != node->enumFaults.end()) return Log("enum", node.get(), "", dwIndex, fault->second);
    std::shared_ptr<Node> child = ChildAt(*node, dwIndex);
    if (!child) return Log("enum", node.get(), "", dwIndex, ERROR_NO_MORE_ITEMS);
    if (child->name.size() >= *lpcchName)
        return Log("enum", node.get(), "", dwIndex, ERROR_MORE_DATA);
    std::memcpy(lpName, child->name.c_str(), child->name.size() + 1);
    *lpcchName = static_cast<DWORD>(child->name.size());
    return Log("enum", node.get(), "", dwIndex, ERROR_SUCCESS);
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    std::shared_ptr<Node> start = Resolve(hKey);
    const std::string path = lpSubKey ? lpSubKey : "";
    if (!start) return Log("delete", nullptr, path, 0, ERROR_INVALID_HANDLE);
    if (start->deleted) return Log("delete", start.get(), path, 0, ERROR_KEY_DELETED);
    // By name, a link is resolved: the key deleted is the link's target.
    std::shared_ptr<Node> node;
    LONG found = SplitPath(path).empty() ? ERROR_FILE_NOT_FOUND : Lookup(start, path, false, &node);
    if (found != ERROR_SUCCESS) return Log("delete", start.get(), path, 0, found);
    if (!node->parent) return Log("delete", node.get(), "", 0, ERROR_ACCESS_DENIED);
    if (!node->children.empty() || node->refused)
        return Log("delete", node.get(), "", 0, ERROR_ACCESS_DENIED);
    node->deleted = true;
    Remove(*node);
    return Log("delete", node.get(), "", 0, ERROR_SUCCESS);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    Registry& reg = Reg();
    auto it = reg.handles.find(reinterpret_cast<uintptr_t>(hKey));
    if (it == reg.handles.end()) {
        ++reg.badCloses;
        return Log("close", IsRoot(hKey) ? RootNode(hKey).get() : nullptr, "", 0,
                   IsRoot(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
    }
    std::shared_ptr<Node> node = it->second;
    reg.handles.erase(it);
    return Log("close", node.get(), "", 0, ERROR_SUCCESS);
}

LONG NTAPI NtDeleteKey(HANDLE KeyHandle) {
    HKEY hKey = static_cast<HKEY>(KeyHandle);
    std::shared_ptr<Node> node = IsRoot(hKey) ? nullptr : Resolve(hKey);
    if (!node) return Log("ntdelete", nullptr, "", 0, kStatusInvalidHandle);
    if (node->deleted) return Log("ntdelete", node.get(), "", 0, kStatusKeyDeleted);
    if (!node->children.empty() || node->refused)
        return Log("ntdelete", node.get(), "", 0, kStatusAccessDenied);
    node->deleted = true;
    Remove(*node);
    return Log("ntdelete", node.get(), "", 0, ERROR_SUCCESS);
}
