// What only the stand-in can show: the order of registry calls, handle
// accounting, and faults the real registry will not produce on demand.
#include <standin/registry.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "registry/key_remover.h"
#include "registry/registry_key.h"

namespace {

typedef std::vector<std::string> Lines;

class RegistryFaultsTest : public ::testing::Test {
protected:
    void SetUp() override { standin::ResetRegistry(); }
    void TearDown() override {
        EXPECT_EQ(0, standin::OpenHandleCount()) << "leaked registry handles";
        EXPECT_EQ(0, standin::BadCloseCount()) << "closed a root or a handle twice";
    }

    static SubKeyList Enumerate(const char* path) {
        RegistryKey key;
        EXPECT_EQ(1, key.Open(HKEY_CURRENT_USER, path));
        SubKeyList names;
        key.EnumSubKeys(names);
        return names;
    }

    static int EnumCalls() {
        int count = 0;
        for (const standin::RegistryCall& call : standin::RegistryCalls())
            count += call.op == "enum";
        return count;
    }
};

TEST_F(RegistryFaultsTest, FailedOpenStillClosesTheHandleHeldBefore) {
    standin::AddKey(HKEY_CURRENT_USER, "T");
    RegistryKey key;
    ASSERT_EQ(1, key.Open(HKEY_CURRENT_USER, "T"));
    EXPECT_EQ(1, standin::OpenHandleCount());
    EXPECT_EQ(0, key.Open(HKEY_CURRENT_USER, "missing"));
    EXPECT_EQ(0, standin::OpenHandleCount());
    key.Close();  // no second close of the released handle
    EXPECT_EQ(0, standin::BadCloseCount());
}

TEST_F(RegistryFaultsTest, DeletionIsDepthFirstPostOrderThroughEachKeysOwnHandle) {
    for (const char* path : {"T\\a\\a1\\a1x", "T\\a\\a2", "T\\b", "T\\c\\c1"})
        standin::AddKey(HKEY_CURRENT_USER, path);
    KeyRemover remover;
    EXPECT_EQ(1, remover.DeleteKeyTree(HKEY_CURRENT_USER, "T"));

    EXPECT_EQ((Lines{"HKCU\\T\\a\\a1\\a1x", "HKCU\\T\\a\\a1", "HKCU\\T\\a\\a2", "HKCU\\T\\a",
                     "HKCU\\T\\b", "HKCU\\T\\c\\c1", "HKCU\\T\\c", "HKCU\\T"}),
              standin::DeletedKeys());
    // Every key goes through its own handle, opened as itself and held only
    // by this one object at that moment; nothing is ever deleted by name.
    std::map<std::string, int> open;
    for (const standin::RegistryCall& call : standin::RegistryCalls()) {
        EXPECT_NE("open", call.op) << "opened following links: " << call.key;
        EXPECT_NE("delete", call.op) << "deleted by name: " << call.key;
        if (call.op == "open-link" && call.result == ERROR_SUCCESS) ++open[call.key];
        if (call.op == "close") --open[call.key];
        if (call.op == "ntdelete") {
            EXPECT_EQ(1, open[call.key]) << call.key;
        }
    }
}

TEST_F(RegistryFaultsTest, RefusedSubKeyKeepsItsSubtreeWhileSiblingsGo) {
    for (const char* path : {"T\\a\\a1", "T\\b\\b1\\b1x", "T\\c\\c1"})
        standin::AddKey(HKEY_CURRENT_USER, path);
    standin::RefuseFullAccess(HKEY_CURRENT_USER, "T\\b");
    KeyRemover remover;
    EXPECT_EQ(1, remover.DeleteKeyTree(HKEY_CURRENT_USER, "T"));
    EXPECT_EQ(
        (Lines{"HKCR", "HKCU", "HKCU\\T", "HKCU\\T\\b", "HKCU\\T\\b\\b1", "HKCU\\T\\b\\b1\\b1x"}),
        standin::Snapshot());
}

TEST_F(RegistryFaultsTest, DeleteKeyTreeTouchesNothingWhenTheKeyDoesNotOpen) {
    standin::AddKey(HKEY_CURRENT_USER, "Refused\\child");
    standin::RefuseFullAccess(HKEY_CURRENT_USER, "Refused");
    KeyRemover remover;
    EXPECT_EQ(0, remover.DeleteKeyTree(HKEY_CURRENT_USER, "Missing"));
    EXPECT_EQ(0, remover.DeleteKeyTree(HKEY_CURRENT_USER, "Refused"));
    EXPECT_EQ(0, remover.IsKeyEmpty(HKEY_CURRENT_USER, "Refused"));
    for (const standin::RegistryCall& call : standin::RegistryCalls())
        EXPECT_EQ("open-link", call.op) << call.key;
}

// Children are named k000, k001, ... so that their order is their index.
TEST_F(RegistryFaultsTest, EnumerationSkipsFailedIndicesAndAlwaysEnds) {
    // clang-format off
    struct Case {
        const char* name;
        int children;
        void (*inject)();
        SubKeyList expected;
        int enumCalls;
    } cases[] = {
        {"one index fails and is skipped", 4,
         [] { standin::FailEnumAt(HKEY_CURRENT_USER, "T", 1, ERROR_MORE_DATA); },
         {"k000", "k002", "k003"}, 5},
        {"key deleted by someone else mid-walk", 4,
         [] { standin::DeleteTreeOnEnum(HKEY_CURRENT_USER, "T", 2); },
         {"k000", "k001"}, 2 + 256},
        {"every index fails", 4,
         [] { standin::FailEnumAlways(HKEY_CURRENT_USER, "T", ERROR_KEY_DELETED); },
         {}, 256},
        {"255 failures in a row still reach the names after them", 257,
         [] {
             for (DWORD i = 0; i < 255; ++i)
                 standin::FailEnumAt(HKEY_CURRENT_USER, "T", i, ERROR_INVALID_HANDLE);
         },
         {"k255", "k256"}, 258},
        {"256 failures in a row end the walk", 300,
         [] {
             for (DWORD i = 0; i < 256; ++i)
                 standin::FailEnumAt(HKEY_CURRENT_USER, "T", i, ERROR_INVALID_HANDLE);
         },
         {}, 256},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        standin::ResetRegistry();
        for (int i = 0; i < c.children; ++i) {
            char name[16];
            snprintf(name, sizeof name, "T\\k%03d", i);
            standin::AddKey(HKEY_CURRENT_USER, name);
        }
        c.inject();
        EXPECT_EQ(c.expected, Enumerate("T"));
        EXPECT_EQ(c.enumCalls, EnumCalls());
    }
}

}  // namespace
