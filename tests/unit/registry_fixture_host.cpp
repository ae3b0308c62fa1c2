#include "registry_fixture.h"

#include <standin/registry.h>

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
