// RegistryKey against whatever registry the build has: the stand-in on the
// host, the real one under Wine.
#include "registry/registry_key.h"

#include <gtest/gtest.h>

#include "registry_fixture.h"

namespace {

class RegistryKeyTest : public ::testing::Test {
protected:
    void SetUp() override { fixture::Reset(); }
    void TearDown() override { fixture::Reset(); }

    static std::string At(const std::string& relative) {
        return std::string(fixture::kSandbox) + "\\" + relative;
    }
};

TEST_F(RegistryKeyTest, OpenSucceedsOnlyForAnExistingKey) {
    fixture::AddKey(HKEY_CURRENT_USER, At("present"));
    RegistryKey key;
    EXPECT_EQ(1, key.Open(HKEY_CURRENT_USER, At("present").c_str()));
    EXPECT_EQ(0, key.Open(HKEY_CURRENT_USER, At("missing").c_str()));
    // A failed open leaves the object closed: it answers as a closed key.
    EXPECT_EQ(0, key.HasNoSubKeys());
    EXPECT_EQ(1, key.Open(HKEY_CURRENT_USER, At("present").c_str()));
    key.Close();
    EXPECT_EQ(0, key.HasNoSubKeys());
}

TEST_F(RegistryKeyTest, ClosedKeyDoesNothing) {
    fixture::AddKey(HKEY_CURRENT_USER, At("k\\child"));
    RegistryKey key;
    SubKeyList names;
    key.EnumSubKeys(names);
    key.DeleteSubKeys();
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(0, key.HasNoSubKeys());  // not 1: a closed key is not known to be empty
    EXPECT_TRUE(fixture::Exists(HKEY_CURRENT_USER, At("k\\child")));
}

TEST_F(RegistryKeyTest, EnumSubKeysAppendsDirectChildrenOnly) {
    fixture::AddKey(HKEY_CURRENT_USER, At("k\\alpha\\deep"));
    fixture::AddKey(HKEY_CURRENT_USER, At("k\\beta"));
    fixture::AddValue(HKEY_CURRENT_USER, At("k"), "notAKey");
    RegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, At("k").c_str()));
    SubKeyList names(1, "kept");
    key.EnumSubKeys(names);
    EXPECT_EQ((SubKeyList{"kept", "alpha", "beta"}), names);
}

TEST_F(RegistryKeyTest, HasNoSubKeysIgnoresValues) {
    // clang-format off
    struct Case {
        const char* name;
        bool withValue;
        bool withSubKey;
        int expected;
    } cases[] = {
        {"bare", false, false, 1},
        {"valuesOnly", true, false, 1},
        {"subKeyOnly", false, true, 0},
        {"both", true, true, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::AddKey(HKEY_CURRENT_USER, At(c.name));
        if (c.withValue) fixture::AddValue(HKEY_CURRENT_USER, At(c.name), "v");
        if (c.withSubKey) fixture::AddKey(HKEY_CURRENT_USER, At(c.name) + "\\sub");
        RegistryKey key;
        ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, At(c.name).c_str()));
        EXPECT_EQ(c.expected, key.HasNoSubKeys());
    }
}

TEST_F(RegistryKeyTest, DeleteSubKeysEmptiesEveryLevelButKeepsTheKey) {
    fixture::AddValue(HKEY_CURRENT_USER, At("k"), "own");
    fixture::AddValue(HKEY_CURRENT_USER, At("k\\a\\a1\\a1x"), "leaf");
    fixture::AddKey(HKEY_CURRENT_USER, At("k\\a\\a2"));
    fixture::AddValue(HKEY_CURRENT_USER, At("k\\b"), "v");
    fixture::AddKey(HKEY_CURRENT_USER, At("k\\c\\c1"));
    fixture::AddKey(HKEY_CURRENT_USER, At("neighbour\\n1"));

    RegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, At("k").c_str()));
    key.DeleteSubKeys();
    EXPECT_EQ(1, key.HasNoSubKeys());
    key.Close();

    EXPECT_EQ((std::vector<std::string>{At("k"), At("k") + " = own"}),
              fixture::Tree(HKEY_CURRENT_USER, At("k")));
    EXPECT_EQ((std::vector<std::string>{At("neighbour"), At("neighbour\\n1")}),
              fixture::Tree(HKEY_CURRENT_USER, At("neighbour")));
}

TEST_F(RegistryKeyTest, NamesRoundTripUnchanged) {
    // Spaces, dots, braces, mixed case and a 255-character name go back to
    // the registry exactly as they came.
    const std::string names[] = {"Local AppWizard-Generated Applications", "Morrowfen.",
                                 "{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}", "MiXeD.case",
                                 std::string(255, 'n')};
    for (const std::string& name : names)
        fixture::AddKey(HKEY_CURRENT_USER, At("k\\" + name + "\\x"));
    RegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, At("k").c_str()));
    key.DeleteSubKeys();
    EXPECT_EQ(1, key.HasNoSubKeys());
}

}  // namespace
