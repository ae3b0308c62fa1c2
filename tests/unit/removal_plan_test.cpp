// The whole removal against a seeded registry: the stand-in on the host, the
// real registry under Wine.
#include "registry/removal_plan.h"

#include <gtest/gtest.h>

#include "registry_fixture.h"
#include "registry_param_test.h"

namespace {

typedef std::vector<std::string> Lines;

// Look-alikes of the removed keys that must never be touched.
const Lines kNeighbours = {
    "HKCR\\.tvrx = Content Type",
    "HKCR\\Tavro.Document2\\shell\\open",
    "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F14}\\InprocServer32",
    "HKCU\\Software\\Morrowfen\\Quorvane = Keep",
    "HKCU\\Software\\Local AppWizard-Generated Applications2\\Quorvane",
};

// Every key the removal may touch, plus the neighbours' keys.
const Lines kWatched = {
    "HKCR\\.tvr",
    "HKCR\\Tavro.Document",
    "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}",
    "HKCU\\Software\\Local AppWizard-Generated Applications",
    "HKCU\\Software\\Morrowfen.",
    "HKCR\\.tvrx",
    "HKCR\\Tavro.Document2",
    "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F14}",
    "HKCU\\Software\\Morrowfen",
    "HKCU\\Software\\Local AppWizard-Generated Applications2",
};

struct Scenario {
    const char* name;
    Lines seed;
    Lines survivors;  // what is left of the removal's own keys
};

// clang-format off
const Scenario kScenarios[] = {
    {"nothing installed", {}, {}},
    {"full install",
     {"HKCR\\.tvr = ",
      "HKCR\\.tvr\\ShellNew = NullFile",
      "HKCR\\Tavro.Document = ",
      "HKCR\\Tavro.Document\\CLSID = ",
      "HKCR\\Tavro.Document\\DefaultIcon = ",
      "HKCR\\Tavro.Document\\shell\\open\\command = ",
      "HKCR\\Tavro.Document\\shell\\open\\ddeexec\\application = ",
      "HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}\\ProgID = ",
      "HKCU\\Software\\Local AppWizard-Generated Applications\\Quorvane\\Settings = PreviewPages",
      "HKCU\\Software\\Local AppWizard-Generated Applications\\Quorvane\\Recent File List = File1",
      "HKCU\\Software\\Morrowfen.\\Quorvane\\Settings = Window",
      "HKCU\\Software\\Morrowfen.\\Quorvane\\Options = Font"},
     {}},
    {"only the maker's key", {"HKCU\\Software\\Morrowfen.\\Quorvane\\Settings = A"}, {}},
    {"maker's key shared with another application",
     {"HKCU\\Software\\Morrowfen. = Registered",
      "HKCU\\Software\\Morrowfen.\\Quorvane\\Settings = A",
      "HKCU\\Software\\Morrowfen.\\Other\\Settings = B"},
     {"HKCU\\Software\\Morrowfen.",
      "HKCU\\Software\\Morrowfen. = Registered",
      "HKCU\\Software\\Morrowfen.\\Other",
      "HKCU\\Software\\Morrowfen.\\Other\\Settings",
      "HKCU\\Software\\Morrowfen.\\Other\\Settings = B"}},
    {"maker's key with values only after removal",
     {"HKCU\\Software\\Morrowfen. = Registered", "HKCU\\Software\\Morrowfen.\\Quorvane"},
     {}},
    {"wizard key shared with another application",
     {"HKCU\\Software\\Local AppWizard-Generated Applications\\Quorvane\\Settings",
      "HKCU\\Software\\Local AppWizard-Generated Applications\\Other App\\Settings = X"},
     {"HKCU\\Software\\Local AppWizard-Generated Applications",
      "HKCU\\Software\\Local AppWizard-Generated Applications\\Other App",
      "HKCU\\Software\\Local AppWizard-Generated Applications\\Other App\\Settings",
      "HKCU\\Software\\Local AppWizard-Generated Applications\\Other App\\Settings = X"}},
    {"empty parents the application never used",
     {"HKCU\\Software\\Local AppWizard-Generated Applications", "HKCU\\Software\\Morrowfen."},
     {}},
    {"deep document tree",
     {"HKCR\\Tavro.Document\\a\\b\\c\\d\\e\\f = deepest", "HKCR\\Tavro.Document\\a\\b2",
      "HKCR\\Tavro.Document\\z"},
     {}},
};
// clang-format on

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

typedef RegistryParamTest<Scenario> RemovalPlanTest;

TEST_P(RemovalPlanTest, RemovesThePlannedKeysAndNothingElse) {
    const Scenario& scenario = GetParam();
    for (const std::string& line : kNeighbours) fixture::Seed(line);
    for (const std::string& line : scenario.seed) fixture::Seed(line);
    Lines neighboursBefore = fixture::Watch(Lines(kWatched.begin() + 5, kWatched.end()));

    RunRemoval();

    Lines expected = scenario.survivors;
    expected.insert(expected.end(), neighboursBefore.begin(), neighboursBefore.end());
    EXPECT_EQ(expected, fixture::Watch(kWatched));

    // Nothing is left for a second run to do.
    RunRemoval();
    EXPECT_EQ(expected, fixture::Watch(kWatched));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, RemovalPlanTest, ::testing::ValuesIn(kScenarios),
                         CaseName<Scenario>);

}  // namespace
