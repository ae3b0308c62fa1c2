#include <stdexcept>

#include "registry_fixture.h"

namespace fixture {

const char kSandbox[] = "Software\\TavroTests";

namespace {

HKEY ParseRoot(const std::string& line, std::string* rest) {
    *rest = line.size() > 5 ? line.substr(5) : "";
    if (line.compare(0, 5, "HKCR\\") == 0) return HKEY_CLASSES_ROOT;
    if (line.compare(0, 5, "HKCU\\") == 0) return HKEY_CURRENT_USER;
    throw std::invalid_argument("no HKCR\\ or HKCU\\ in " + line);
}

}  // namespace

void Seed(const std::string& line) {
    std::string rest;
    HKEY root = ParseRoot(line, &rest);
    std::string::size_type eq = rest.find(" = ");
    if (eq == std::string::npos)
        AddKey(root, rest);
    else
        AddValue(root, rest.substr(0, eq), rest.substr(eq + 3));
}

std::vector<std::string> Watch(const std::vector<std::string>& keys) {
    std::vector<std::string> lines;
    for (const std::string& key : keys) {
        std::string path;
        HKEY root = ParseRoot(key, &path);
        for (const std::string& line : Tree(root, path)) lines.push_back(key.substr(0, 5) + line);
    }
    return lines;
}

std::vector<std::string> Dump(const std::vector<std::string>& keys) {
    std::vector<std::string> lines;
    for (const std::string& key : keys) {
        std::string path;
        HKEY root = ParseRoot(key, &path);
        for (const std::string& line : DumpTree(root, path))
            lines.push_back(key.substr(0, 5) + line);
    }
    return lines;
}

HKEY TargetRoot(const std::string& target, std::string* path) {
    return ParseRoot(target, path);
}

}  // namespace fixture
