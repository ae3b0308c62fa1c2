// Seeds and inspects registry keys for tests that run both on the host
// stand-in and on a real registry under Wine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fixture {

// Parent of every key the RegistryKey tests make for themselves.
extern const char kSandbox[];  // below HKEY_CURRENT_USER

// Removes the sandbox and every key the removal touches, so each test starts
// from a registry that holds none of them.
void Reset();
void AddKey(HKEY root, const std::string& path);
void AddValue(HKEY root, const std::string& path, const std::string& name);
// Makes `path` a registry link to `target` ("HKCR\..." or "HKCU\..."),
// which need not exist. Under Wine an HKCR target is the machine-wide class
// key, so a link from HKCU to it crosses hives.
void AddLink(HKEY root, const std::string& path, const std::string& target);
// Links are not followed: a link exists as itself, dangling or not.
bool Exists(HKEY root, const std::string& path);
// The key's subtree in pre-order, one line per key ("a\b") and per value
// ("a\b = name"), relative to the key itself; empty when the key is missing.
// A link is listed as itself, with its SymbolicLinkValue, never followed.
std::vector<std::string> Tree(HKEY root, const std::string& path);

// Seeds one line in the form that Watch() gives back: "HKCU\a\b" makes a key,
// "HKCU\a\b = name" a value (and its key).
void Seed(const std::string& line);
// The subtrees of the named keys, each line prefixed with its root.
std::vector<std::string> Watch(const std::vector<std::string>& keys);
// As Watch, with each value's type and data where the registry keeps them,
// so that equal dumps mean byte-for-byte equal trees.
std::vector<std::string> Dump(const std::vector<std::string>& keys);

// Internals shared by the two registry sides of the fixture.
std::vector<std::string> DumpTree(HKEY root, const std::string& path);
HKEY TargetRoot(const std::string& target, std::string* path);

}  // namespace fixture
