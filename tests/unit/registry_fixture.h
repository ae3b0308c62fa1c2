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
bool Exists(HKEY root, const std::string& path);
// The key's subtree in pre-order, one line per key ("a\b") and per value
// ("a\b = name"), relative to the key itself; empty when the key is missing.
std::vector<std::string> Tree(HKEY root, const std::string& path);

// Seeds one line in the form that Watch() gives back: "HKCU\a\b" makes a key,
// "HKCU\a\b = name" a value (and its key).
void Seed(const std::string& line);
// The subtrees of the named keys, each line prefixed with its root.
std::vector<std::string> Watch(const std::vector<std::string>& keys);

}  // namespace fixture
