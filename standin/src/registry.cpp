// In-memory registry behind RegOpenKeyExA, RegEnumKeyExA, RegDeleteKeyA and
// RegCloseKey. Keys compare without regard to ASCII case and enumerate in
// sorted order, as the real registry does.
#include <standin/journal.h>
#include <standin/registry.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <strings.h>

namespace {

const DWORD kKeyRead = 0x20019u;

struct Node {
    std::string name;
    std::string fullName;
    Node* parent = nullptr;  // null for a root and once unlinked
    std::vector<std::shared_ptr<Node>> children;  // sorted by name, ignoring case
    std::vector<std::string> values;
    bool refused = false;
    bool deleted = false;
    std::map<DWORD, LONG> enumFaults;
    bool failAlways = false;
    LONG failAlwaysCode = 0;
    long deleteOnEnumIndex = -1;
};

struct Registry {
    std::shared_ptr<Node> classesRoot;
    std::shared_ptr<Node> currentUser;
    std::map<uintptr_t, std::shared_ptr<Node>> handles;
    uintptr_t nextHandle = 0x1000;
    std::vector<standin::RegistryCall> calls;
    int badCloses = 0;
};

Registry& Reg() {
    static Registry registry;
    return registry;
}

std::shared_ptr<Node> MakeRoot(const char* name) {
    auto root = std::make_shared<Node>();
    root->name = name;
    root->fullName = name;
    return root;
}

bool IsRoot(HKEY key) { return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER; }

std::shared_ptr<Node> RootNode(HKEY root) {
    Registry& reg = Reg();
    if (!reg.classesRoot) {
        reg.classesRoot = MakeRoot("HKCR");
        reg.currentUser = MakeRoot("HKCU");
    }
    return root == HKEY_CLASSES_ROOT ? reg.classesRoot : reg.currentUser;
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

bool NameLess(const std::shared_ptr<Node>& a, const std::string& name) {
    return strcasecmp(a->name.c_str(), name.c_str()) < 0;
}

std::shared_ptr<Node> FindChild(const Node& parent, const std::string& name) {
    for (const auto& child : parent.children)
        if (strcasecmp(child->name.c_str(), name.c_str()) == 0) return child;
    return nullptr;
}

std::shared_ptr<Node> Walk(std::shared_ptr<Node> node, const std::string& path) {
    for (const std::string& part : SplitPath(path)) {
        node = FindChild(*node, part);
        if (!node) return nullptr;
    }
    return node;
}

void MarkDeleted(Node& node) {
    node.deleted = true;
    for (auto& child : node.children) MarkDeleted(*child);
}

// Takes the key and its subtree out of the registry. Handles that still point
// into it stay valid objects but answer ERROR_KEY_DELETED from then on.
void Remove(Node& node) {
    auto& siblings = node.parent->children;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [&](const std::shared_ptr<Node>& n) { return n.get() == &node; }),
                   siblings.end());
    node.parent = nullptr;
    MarkDeleted(node);
}

// Finds the parent of the key that `path` names below `start`.
std::shared_ptr<Node> WalkToParent(std::shared_ptr<Node> start, const std::string& path,
                                   std::string* leaf) {
    std::vector<std::string> parts = SplitPath(path);
    if (parts.empty()) return nullptr;
    *leaf = parts.back();
    parts.pop_back();
    for (const std::string& part : parts) {
        start = FindChild(*start, part);
        if (!start) return nullptr;
    }
    return start;
}

LONG Log(const char* op, const std::string& key, DWORD index, LONG result) {
    Reg().calls.push_back({op, key, index, result});
    standin::JournalAppend(std::string("Reg ") + op + " " + key + " -> " + std::to_string(result));
    return result;
}

void AppendSnapshot(const Node& node, std::vector<std::string>& lines) {
    lines.push_back(node.fullName);
    for (const std::string& value : node.values) lines.push_back(node.fullName + " = " + value);
    for (const auto& child : node.children) AppendSnapshot(*child, lines);
}

}  // namespace

namespace standin {

void ResetRegistry() {
    Registry& reg = Reg();
    reg = Registry();
    RootNode(HKEY_CLASSES_ROOT);
}

void AddKey(HKEY root, const std::string& path) {
    std::shared_ptr<Node> node = RootNode(root);
    for (const std::string& part : SplitPath(path)) {
        std::shared_ptr<Node> child = FindChild(*node, part);
        if (!child) {
            child = std::make_shared<Node>();
            child->name = part;
            child->fullName = node->fullName + "\\" + part;
            child->parent = node.get();
            auto at = std::lower_bound(node->children.begin(), node->children.end(), part, NameLess);
            node->children.insert(at, child);
        }
        node = child;
    }
}

void AddValue(HKEY root, const std::string& path, const std::string& valueName) {
    AddKey(root, path);
    Walk(RootNode(root), path)->values.push_back(valueName);
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

static std::shared_ptr<Node> Seeded(HKEY root, const std::string& path) {
    AddKey(root, path);
    return Walk(RootNode(root), path);
}

void RefuseFullAccess(HKEY root, const std::string& path) { Seeded(root, path)->refused = true; }

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

const std::vector<RegistryCall>& RegistryCalls() { return Reg().calls; }

void ClearRegistryCalls() { Reg().calls.clear(); }

std::vector<std::string> DeletedKeys() {
    std::vector<std::string> keys;
    for (const RegistryCall& call : Reg().calls)
        if (call.op == "delete" && call.result == ERROR_SUCCESS) keys.push_back(call.key);
    return keys;
}

int OpenHandleCount() { return static_cast<int>(Reg().handles.size()); }

int BadCloseCount() { return Reg().badCloses; }

}  // namespace standin

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                          PHKEY phkResult) {
    (void)ulOptions;
    std::shared_ptr<Node> parent = Resolve(hKey);
    std::string path = lpSubKey ? lpSubKey : "";
    if (!parent) return Log("open", path, 0, ERROR_INVALID_HANDLE);
    std::string name = parent->fullName + (path.empty() ? "" : "\\" + path);
    if (parent->deleted) return Log("open", name, 0, ERROR_KEY_DELETED);
    std::shared_ptr<Node> node = Walk(parent, path);
    if (!node) return Log("open", name, 0, ERROR_FILE_NOT_FOUND);
    if (node->refused && (samDesired & ~kKeyRead) != 0)
        return Log("open", node->fullName, 0, ERROR_ACCESS_DENIED);
    Registry& reg = Reg();
    uintptr_t handle = reg.nextHandle;
    reg.nextHandle += 4;
    reg.handles[handle] = node;
    *phkResult = reinterpret_cast<HKEY>(handle);
    return Log("open", node->fullName, 0, ERROR_SUCCESS);
}

LONG WINAPI RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                          LPDWORD lpReserved, LPSTR lpClass, LPDWORD lpcchClass,
                          PFILETIME lpftLastWriteTime) {
    (void)lpReserved;
    (void)lpClass;
    (void)lpcchClass;
    (void)lpftLastWriteTime;
    std::shared_ptr<Node> node = Resolve(hKey);
    if (!node) return Log("enum", "?", dwIndex, ERROR_INVALID_HANDLE);
    if (node->deleteOnEnumIndex == static_cast<long>(dwIndex) && !node->deleted) {
        // Someone else removes the whole tree between two calls of the walk.
        Remove(*node);
    }
    if (node->deleted) return Log("enum", node->fullName, dwIndex, ERROR_KEY_DELETED);
    if (node->failAlways) return Log("enum", node->fullName, dwIndex, node->failAlwaysCode);
    auto fault = node->enumFaults.find(dwIndex);
    if (fault != node->enumFaults.end())
        return Log("enum", node->fullName, dwIndex, fault->second);
    if (dwIndex >= node->children.size())
        return Log("enum", node->fullName, dwIndex, ERROR_NO_MORE_ITEMS);
    const std::string& child = node->children[dwIndex]->name;
    if (child.size() >= *lpcchName) return Log("enum", node->fullName, dwIndex, ERROR_MORE_DATA);
    std::memcpy(lpName, child.c_str(), child.size() + 1);
    *lpcchName = static_cast<DWORD>(child.size());
    return Log("enum", node->fullName, dwIndex, ERROR_SUCCESS);
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    std::shared_ptr<Node> start = Resolve(hKey);
    std::string path = lpSubKey ? lpSubKey : "";
    if (!start) return Log("delete", path, 0, ERROR_INVALID_HANDLE);
    if (start->deleted) return Log("delete", start->fullName + "\\" + path, 0, ERROR_KEY_DELETED);
    std::string leaf;
    std::shared_ptr<Node> parent = WalkToParent(start, path, &leaf);
    std::shared_ptr<Node> node = parent ? FindChild(*parent, leaf) : nullptr;
    if (!node) return Log("delete", start->fullName + "\\" + path, 0, ERROR_FILE_NOT_FOUND);
    if (!node->children.empty() || node->refused)
        return Log("delete", node->fullName, 0, ERROR_ACCESS_DENIED);
    Remove(*node);
    return Log("delete", node->fullName, 0, ERROR_SUCCESS);
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    Registry& reg = Reg();
    auto it = reg.handles.find(reinterpret_cast<uintptr_t>(hKey));
    if (it == reg.handles.end()) {
        ++reg.badCloses;
        return Log("close", IsRoot(hKey) ? RootNode(hKey)->fullName : "?", 0,
                   IsRoot(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
    }
    std::string name = it->second->fullName;
    reg.handles.erase(it);
    return Log("close", name, 0, ERROR_SUCCESS);
}
