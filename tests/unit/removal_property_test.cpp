// Random registries with neighbours, refused keys and registry links, checked
// against a small model of what the removal may and must change. Deterministic: a fixed seed
// unless TAVRO_PROPERTY_SEED names another.
#include <standin/registry.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>

#include "registry/removal_plan.h"

namespace {

typedef std::vector<std::string> Lines;

const int kTrees = 300;

const char* const kTargets[] = {
    "HKCR\\.tvr",
    "HKCR\\Tavro.Document",
    "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}",
    "HKCU\\Software\\Local AppWizard-Generated Applications\\Quorvane",
    "HKCU\\Software\\Morrowfen.\\Quorvane",
};
const char* const kParents[] = {
    "HKCU\\Software\\Local AppWizard-Generated Applications",
    "HKCU\\Software\\Morrowfen.",
};
// Places for unrelated keys, near-miss names among them.
const char* const kElsewhere[] = {
    "HKCR\\.tvrx",
    "HKCR\\Tavro.Document.2",
    "HKCR\\CLSID\\{00000000-0000-0000-0000-000000000001}",
    "HKCU\\Software\\Morrowfen",
    "HKCU\\Software\\Other",
    "HKCU\\Software\\Local AppWizard-Generated Applications\\Other",
    "HKCU\\Software\\Morrowfen.\\Other",
    "HKCU\\Software\\Morrowfen.\\Quorvane2",
};

// Where planted links point: outside the plan, inside it, at ancestors of the
// trees, and at nothing.
const char* const kLinkTargets[] = {
    "HKCR\\.tvrx",
    "HKCU\\Software\\Other",
    "HKCU\\Software\\Morrowfen.\\Other",
    "HKCR\\Tavro.Document",
    "HKCU\\Software\\Morrowfen.\\Quorvane\\k0",
    "HKCU\\Software",
    "HKCU\\Software\\Morrowfen.",
    "HKCR\\CLSID",
    "HKCU\\Nowhere\\At all",
};

bool IsAtOrBelow(const std::string& key, const std::string& top) {
    return key.compare(0, top.size(), top) == 0 &&
           (key.size() == top.size() || key[top.size()] == '\\');
}

std::string KeyOf(const std::string& line) {
    return line.substr(0, line.find(" = "));
}

HKEY RootOf(const std::string& key) {
    return key.compare(0, 4, "HKCR") == 0 ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

std::string PathOf(const std::string& key) {
    return key.substr(5);
}

class RandomRegistry {
public:
    explicit RandomRegistry(unsigned seed) : rng(seed) {}

    void Build() {
        standin::ResetRegistry();
        refused.clear();
        for (const char* target : kTargets)
            if (Chance(70)) Grow(target, 0);
        for (const char* parent : kParents) {
            if (Chance(50)) Add(parent);
            if (Chance(30)) Add(std::string(parent) + " = v");
            if (Chance(15)) Refuse(parent);
        }
        for (const char* place : kElsewhere)
            if (Chance(40)) Grow(place, 1);
    }

    std::set<std::string> refused;
    int links = 0;

private:
    bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; }

    void Add(const std::string& line) {
        std::string::size_type eq = line.find(" = ");
        if (eq == std::string::npos)
            standin::AddKey(RootOf(line), PathOf(line));
        else
            standin::AddValue(RootOf(line), PathOf(line.substr(0, eq)), line.substr(eq + 3));
    }

    void Refuse(const std::string& key) {
        standin::RefuseFullAccess(RootOf(key), PathOf(key));
        refused.insert(key);
    }

    void Link(const std::string& key) {
        const int count = sizeof kLinkTargets / sizeof kLinkTargets[0];
        const std::string target =
            kLinkTargets[std::uniform_int_distribution<int>(0, count - 1)(rng)];
        standin::AddLink(RootOf(key), PathOf(key), RootOf(target), PathOf(target));
        ++links;
    }

    void Grow(const std::string& key, int depth) {
        // A link at any depth, a plan path itself included; it has no
        // subkeys of its own.
        if (Chance(depth == 0 ? 5 : 10)) {
            Link(key);
            if (Chance(8)) Refuse(key);
            return;
        }
        Add(key);
        if (Chance(40)) Add(key + " = value");
        if (Chance(8)) Refuse(key);
        if (depth >= 4) return;
        int children = std::uniform_int_distribution<int>(0, 3)(rng);
        for (int i = 0; i < children; ++i) Grow(key + "\\k" + std::to_string(i), depth + 1);
    }

    std::mt19937 rng;
};

TEST(RemovalProperty, RandomRegistriesMatchTheModel) {
    const char* env = std::getenv("TAVRO_PROPERTY_SEED");
    const unsigned seed = env ? static_cast<unsigned>(std::strtoul(env, NULL, 10)) : 20261211u;
    RandomRegistry registry(seed);
    for (int tree = 0; tree < kTrees; ++tree) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", tree " + std::to_string(tree));
        registry.Build();
        const Lines before = standin::Snapshot();
        RunRemoval();
        const Lines after = standin::Snapshot();
        const std::set<std::string> kept(after.begin(), after.end());

        auto targetOf = [](const std::string& key) -> const char* {
            for (const char* t : kTargets)
                if (IsAtOrBelow(key, t)) return t;
            return NULL;
        };
        // Refused between the target and the key: the walk never opens it.
        // Keys above the target do not matter, the target opens by its path.
        auto refusedAtOrAbove = [&](const std::string& key) {
            for (const std::string& r : registry.refused)
                if (IsAtOrBelow(key, r) && IsAtOrBelow(r, targetOf(key))) return true;
            return false;
        };
        auto refusedBelow = [&](const std::string& key) {
            for (const std::string& r : registry.refused)
                if (IsAtOrBelow(r, key)) return true;
            return false;
        };
        auto hasSubKey = [&](const std::string& key) {
            for (const std::string& line : after)
                if (KeyOf(line) != key && IsAtOrBelow(KeyOf(line), key)) return true;
            return false;
        };

        for (const std::string& line : before) {
            const std::string key = KeyOf(line);
            bool isParent = key == kParents[0] || key == kParents[1];
            if (targetOf(key)) {
                // Gone unless a refused key sits above it (never opened) or
                // below it (never emptied).
                bool mustStay = refusedAtOrAbove(key) || refusedBelow(key);
                ASSERT_EQ(mustStay, kept.count(line) == 1) << line;
            } else if (isParent) {
                bool mustStay = hasSubKey(key) || registry.refused.count(key) == 1;
                ASSERT_EQ(mustStay, kept.count(line) == 1) << line;
            } else {
                ASSERT_EQ(1u, kept.count(line)) << "outside the plan: " << line;
            }
            // A tree without a refused key is gone, links and all.
            if (targetOf(key) && !refusedAtOrAbove(key) && !refusedBelow(key)) {
                ASSERT_EQ(0u, kept.count(line)) << line;
            }
        }
        ASSERT_LE(after.size(), before.size());
        ASSERT_EQ(0, standin::OpenHandleCount());
        ASSERT_EQ(0, standin::BadCloseCount());
    }
    RecordProperty("trees", kTrees);
    RecordProperty("links", registry.links);
}

}  // namespace
