#include "registry_fixture.h"

#include <standin/registry.h>

#include <stdexcept>

namespace fixture {

void Reset() {
    standin::ResetRegistry();
}

void AddKey(HKEY root, const std::string& path) {
    standin::AddKey(root, path);
}

void AddValue(HKEY root, const std::string& path, const std::string& name) {
    standin::AddValue(root, path, name);
}

void AddLink(HKEY root, const std::string& path, const std::string& target) {
    std::string targetPath;
    HKEY targetRoot = TargetRoot(target, &targetPath);
    if (standin::KeyExists(root, path))
        throw std::runtime_error("a key is in the way of the link " + path);
    standin::AddLink(root, path, targetRoot, targetPath);
}

// The stand-in keeps value names only.
std::vector<std::string> DumpTree(HKEY root, const std::string& path) {
    return Tree(root, path);
}

bool Exists(HKEY root, const std::string& path) {
    return standin::KeyExists(root, path);
}

std::vector<std::string> Tree(HKEY root, const std::string& path) {
    const std::string prefix =
        std::string(root == HKEY_CLASSES_ROOT ? "HKCR" : "HKCU") + "\\" + path;
    std::vector<std::string> lines;
    for (const std::string& line : standin::Snapshot()) {
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        std::string rest = line.substr(prefix.size());
        if (rest.empty() || rest[0] == '\\' || rest.compare(0, 3, " = ") == 0)
            lines.push_back(path + rest);
    }
    return lines;
}

}  // namespace fixture
