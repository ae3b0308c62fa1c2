// Registry links planted inside the trees the removal deletes: the stand-in
// on the host, the real registry under Wine. The removal deletes each link
// as a link and never changes what it points at.
#include "registry/removal_plan.h"

#include <gtest/gtest.h>

#include "registry/native_delete.h"
#include "registry_fixture.h"
#include "registry_param_test.h"

namespace {

typedef std::vector<std::string> Lines;

const char kOutside[] = "HKCU\\Software\\TavroLinkTargets\\Outside";
const char kMachineClass[] = "HKCR\\TavroLinkTarget.Class";

// What a link may point at, outside every tree of the plan.
const Lines kTargetSeed = {
    "HKCU\\Software\\TavroLinkTargets\\Outside = TopValue",
    "HKCU\\Software\\TavroLinkTargets\\Outside\\Data = Important",
    "HKCU\\Software\\TavroLinkTargets\\Outside\\Data\\Deeper = Kept",
    "HKCR\\TavroLinkTarget.Class = Machine",
    "HKCR\\TavroLinkTarget.Class\\shell\\open\\command = Command",
};

// A full install, so that every tree of the plan has something to remove.
const Lines kInstall = {
    "HKCR\\.tvr = ",
    "HKCR\\Tavro.Document\\shell\\open\\command = ",
    "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}\\ProgID = ",
    "HKCU\\Software\\Local AppWizard-Generated Applications\\Quorvane\\Settings = A",
    "HKCU\\Software\\Morrowfen.\\Quorvane\\Settings\\Window = Left",
    "HKCU\\Software\\Morrowfen.\\Quorvane\\Options = Font",
};

// Every key the removal may touch.
const Lines kPlanTrees = {
    "HKCR\\.tvr",
    "HKCR\\Tavro.Document",
    "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}",
    "HKCU\\Software\\Local AppWizard-Generated Applications",
    "HKCU\\Software\\Morrowfen.",
};

struct Link {
    HKEY root;
    const char* path;
    std::string target;
};

struct Case {
    const char* name;
    std::vector<Link> links;
};

// clang-format off
const Case kCases[] = {
    {"deep in a settings tree, to a key of the user's",
     {{HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Settings\\Window\\Shared", kOutside}}},
    {"a plan path itself",
     {{HKEY_CURRENT_USER, "Software\\Local AppWizard-Generated Applications\\Quorvane", kOutside}}},
    {"inside the document type, to a machine-wide class key",
     {{HKEY_CLASSES_ROOT, "Tavro.Document\\shell\\edit", kMachineClass}}},
    {"from the user's settings into the machine's classes",
     {{HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Classes", kMachineClass}}},
    {"dangling",
     {{HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Gone",
       "HKCU\\Software\\TavroLinkTargets\\Missing"}}},
    {"to an ancestor of the link, outside the plan",
     {{HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Options\\Up", "HKCU\\Software"}}},
    {"to an ancestor of the link, inside the plan",
     {{HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Options\\Up",
       "HKCU\\Software\\Morrowfen."}}},
    {"to a key inside the same tree",
     {{HKEY_CLASSES_ROOT, ".tvr\\ShellNew", "HKCR\\Tavro.Document\\shell"}}},
    {"several at once",
     {{HKEY_CLASSES_ROOT, "CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}\\LocalServer32",
       kMachineClass},
      {HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Settings\\A", kOutside},
      {HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Settings\\B", kOutside}}},
};
// clang-format on

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

typedef RegistryParamTest<Case> RemovalLinksTest;

TEST_P(RemovalLinksTest, LinksGoAsLinksAndTheirTargetsStayByteForByte) {
    for (const std::string& line : kTargetSeed) fixture::Seed(line);
    for (const std::string& line : kInstall) {
        // A link is a key of its own: nothing of the install where one goes.
        bool underLink = false;
        for (const Link& link : GetParam().links)
            underLink |= line.find(std::string(link.path) + "\\") != std::string::npos ||
                         line.find(std::string(link.path) + " = ") != std::string::npos;
        if (!underLink) fixture::Seed(line);
    }
    for (const Link& link : GetParam().links) {
        fixture::AddLink(link.root, link.path, link.target);
        ASSERT_TRUE(fixture::Exists(link.root, link.path)) << link.path;
    }
    const Lines targetsBefore = fixture::Dump({kOutside, kMachineClass});
    ASSERT_EQ(12u, targetsBefore.size());

    RunRemoval();

    EXPECT_EQ(targetsBefore, fixture::Dump({kOutside, kMachineClass}));
    EXPECT_EQ(Lines(), fixture::Watch(kPlanTrees));
    EXPECT_FALSE(fixture::Exists(HKEY_CURRENT_USER, "Software\\TavroLinkTargets\\Missing"));
}

// What the removal relies on, on the real registry and on the stand-in alike:
// by name a link is resolved, REG_OPTION_OPEN_LINK opens it as itself, and
// only deletion through that handle removes the link and not its target.
TEST(RegistryLinks, BehaveAsTheRemovalExpects) {
    fixture::Reset();
    const std::string sandbox = fixture::kSandbox;
    const std::string link = sandbox + "\\Link", dangling = sandbox + "\\Dangling";
    const std::string leafLink = sandbox + "\\LeafLink";
    fixture::Seed(std::string(kOutside) + "\\Data = Important");
    fixture::Seed(std::string(kOutside) + "\\Leaf = Kept");
    fixture::AddLink(HKEY_CURRENT_USER, link, kOutside);
    fixture::AddLink(HKEY_CURRENT_USER, dangling, "HKCU\\Software\\TavroLinkTargets\\Missing");
    fixture::AddLink(HKEY_CURRENT_USER, leafLink, std::string(kOutside) + "\\Leaf");

    auto subKeys = [](const std::string& path, DWORD options) {
        HKEY key;
        LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), options, KEY_READ, &key);
        if (result != ERROR_SUCCESS) return "error " + std::to_string(result);
        std::string names;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = sizeof name;
            if (RegEnumKeyExA(key, i, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                break;
            names += std::string(names.empty() ? "" : ",") + name;
        }
        RegCloseKey(key);
        return names;
    };
    EXPECT_EQ("Data,Leaf", subKeys(link, 0));
    EXPECT_EQ("", subKeys(link, REG_OPTION_OPEN_LINK));
    EXPECT_EQ("error " + std::to_string(ERROR_FILE_NOT_FOUND), subKeys(dangling, 0));
    EXPECT_EQ("", subKeys(dangling, REG_OPTION_OPEN_LINK));

    // By name the target goes and the link stays.
    RegDeleteKeyA(HKEY_CURRENT_USER, leafLink.c_str());
    EXPECT_FALSE(fixture::Exists(HKEY_CURRENT_USER, std::string(kOutside).substr(5) + "\\Leaf"));
    EXPECT_TRUE(fixture::Exists(HKEY_CURRENT_USER, leafLink));

    // Through a handle opened as the link, the link goes and the target stays.
    for (const std::string& path : {link, dangling}) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(),
                                               REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key));
        EXPECT_EQ(0, NtDeleteKey(key)) << path;
        RegCloseKey(key);
        EXPECT_FALSE(fixture::Exists(HKEY_CURRENT_USER, path));
    }
    EXPECT_EQ((Lines{"HKCU\\Software\\TavroLinkTargets\\Outside",
                     "HKCU\\Software\\TavroLinkTargets\\Outside\\Data",
                     "HKCU\\Software\\TavroLinkTargets\\Outside\\Data = Important"}),
              fixture::Watch({kOutside}));
    fixture::Reset();
}

// A link in the middle of a plan path is resolved by the registry itself when
// the path is opened: the key of the plan's name below the link's target is
// what goes. The rest of the target stays, and the link, now without
// subkeys of its own, goes in the emptiness step.
TEST(RegistryLinks, InTheMiddleOfAPlanPathTheRegistryResolvesThem) {
    fixture::Reset();
    const std::string elsewhere = "HKCU\\Software\\TavroLinkTargets\\Maker";
    fixture::Seed(elsewhere + " = Kept");
    fixture::Seed(elsewhere + "\\Other\\Settings = Kept");
    fixture::Seed(elsewhere + "\\Quorvane\\Settings = Gone");
    fixture::AddLink(HKEY_CURRENT_USER, "Software\\Morrowfen.", elsewhere);

    RunRemoval();

    EXPECT_EQ((Lines{elsewhere, elsewhere + " = Kept", elsewhere + "\\Other",
                     elsewhere + "\\Other\\Settings", elsewhere + "\\Other\\Settings = Kept"}),
              fixture::Watch({elsewhere}));
    EXPECT_FALSE(fixture::Exists(HKEY_CURRENT_USER, "Software\\Morrowfen."));
    fixture::Reset();
}

INSTANTIATE_TEST_SUITE_P(Placements, RemovalLinksTest, ::testing::ValuesIn(kCases), CaseName<Case>);

}  // namespace
