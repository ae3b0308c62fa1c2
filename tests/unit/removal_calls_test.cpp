// The removal's exact registry traffic and its behaviour under faults, on the
// stand-in.
#include <standin/registry.h>

#include <gtest/gtest.h>

#include "registry/removal_plan.h"

namespace {

typedef std::vector<std::string> Lines;

const char kWizard[] = "Software\\Local AppWizard-Generated Applications";
const char kMaker[] = "Software\\Morrowfen.";

class RemovalCallsTest : public ::testing::Test {
protected:
    void SetUp() override { standin::ResetRegistry(); }
    void TearDown() override {
        EXPECT_EQ(0, standin::OpenHandleCount()) << "leaked registry handles";
        EXPECT_EQ(0, standin::BadCloseCount()) << "closed a root or a handle twice";
    }

    // "op key" per call, with the enumeration index where there is one.
    static Lines Calls() {
        Lines lines;
        for (const standin::RegistryCall& call : standin::RegistryCalls())
            lines.push_back(call.op + " " + call.key +
                            (call.op == "enum" ? " #" + std::to_string(call.index) : ""));
        return lines;
    }
};

TEST_F(RemovalCallsTest, OnAnEmptyRegistryTheSevenStepsOnlyTryToOpen) {
    RunRemoval();
    EXPECT_EQ((Lines{
                  "open-link HKCR\\.tvr",
                  "open-link HKCR\\Tavro.Document",
                  "open-link HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}",
                  "open-link HKCU\\Software\\Local AppWizard-Generated Applications\\Quorvane",
                  "open-link HKCU\\Software\\Morrowfen.\\Quorvane",
                  "open-link HKCU\\Software\\Local AppWizard-Generated Applications",
                  "open-link HKCU\\Software\\Morrowfen.",
              }),
              Calls());
}

// Each key: opened as itself, listed, deleted through its own handle, closed.
// A link costs the same calls as a key without subkeys, and its target is
// never opened.
TEST_F(RemovalCallsTest, OrdinaryKeysAndLinksCostTheSameFourCallsEach) {
    standin::AddKey(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Settings");
    standin::AddLink(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Shared", HKEY_CURRENT_USER,
                     "Software\\Outside");
    standin::AddKey(HKEY_CURRENT_USER, "Software\\Outside\\Data");
    RunRemoval();
    Lines calls = Calls();
    const std::string q = "HKCU\\Software\\Morrowfen.\\Quorvane";
    Lines stepFive(calls.begin() + 4, calls.begin() + 4 + 15);
    EXPECT_EQ((Lines{
                  "open-link " + q,
                  "enum " + q + " #0",
                  "enum " + q + " #1",
                  "enum " + q + " #2",
                  "open-link " + q + "\\Settings",
                  "enum " + q + "\\Settings #0",
                  "ntdelete " + q + "\\Settings",
                  "close " + q + "\\Settings",
                  "open-link " + q + "\\Shared",
                  "enum " + q + "\\Shared #0",
                  "ntdelete " + q + "\\Shared",
                  "close " + q + "\\Shared",
                  "ntdelete " + q,
                  "close " + q,
                  "open-link HKCU\\Software\\Local AppWizard-Generated Applications",
              }),
              stepFive);
    EXPECT_TRUE(standin::KeyExists(HKEY_CURRENT_USER, "Software\\Outside\\Data"));
}

TEST_F(RemovalCallsTest, EmptyParentIsTestedThenOpenedAgainAndDeleted) {
    standin::AddValue(HKEY_CURRENT_USER, kMaker, "values do not count");
    RunRemoval();
    Lines calls = Calls();
    Lines stepSeven(calls.end() - 7, calls.end());
    EXPECT_EQ((Lines{
                  "open-link HKCU\\Software\\Morrowfen.",
                  "enum HKCU\\Software\\Morrowfen. #0",
                  "close HKCU\\Software\\Morrowfen.",
                  "open-link HKCU\\Software\\Morrowfen.",
                  "enum HKCU\\Software\\Morrowfen. #0",
                  "ntdelete HKCU\\Software\\Morrowfen.",
                  "close HKCU\\Software\\Morrowfen.",
              }),
              stepSeven);
    EXPECT_FALSE(standin::KeyExists(HKEY_CURRENT_USER, kMaker));
}

TEST_F(RemovalCallsTest, RefusedKeysStayAndTheRunGoesOn) {
    // A refused parent without subkeys, and a refused subkey inside a target.
    standin::AddKey(HKEY_CURRENT_USER, kWizard);
    standin::RefuseFullAccess(HKEY_CURRENT_USER, kWizard);
    standin::AddKey(HKEY_CLASSES_ROOT, "Tavro.Document\\shell\\open\\command");
    standin::AddKey(HKEY_CLASSES_ROOT, "Tavro.Document\\DefaultIcon");
    standin::AddKey(HKEY_CLASSES_ROOT, "Tavro.Document\\CLSID");
    standin::RefuseFullAccess(HKEY_CLASSES_ROOT, "Tavro.Document\\DefaultIcon");
    standin::AddKey(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Settings");

    RunRemoval();

    EXPECT_EQ((Lines{"HKCR", "HKCR\\Tavro.Document", "HKCR\\Tavro.Document\\DefaultIcon", "HKCU",
                     "HKCU\\Software", "HKCU\\Software\\Local AppWizard-Generated Applications"}),
              standin::Snapshot());
}

TEST_F(RemovalCallsTest, LinkThatRefusesFullAccessStaysWithTheKeysAboveIt) {
    standin::AddKey(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Settings");
    standin::AddLink(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Locked", HKEY_CURRENT_USER,
                     "Software\\Outside");
    standin::RefuseFullAccess(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Locked");
    standin::AddValue(HKEY_CURRENT_USER, "Software\\Outside", "Kept");

    RunRemoval();

    EXPECT_EQ((Lines{"HKCR", "HKCU", "HKCU\\Software", "HKCU\\Software\\Morrowfen.",
                     "HKCU\\Software\\Morrowfen.\\Quorvane",
                     "HKCU\\Software\\Morrowfen.\\Quorvane\\Locked",
                     "HKCU\\Software\\Morrowfen.\\Quorvane\\Locked = SymbolicLinkValue",
                     "HKCU\\Software\\Outside", "HKCU\\Software\\Outside = Kept"}),
              standin::Snapshot());
}

TEST_F(RemovalCallsTest, TargetDeletedByAnotherProgramMidWalkDoesNotHangTheRun) {
    for (const char* name : {"a", "b", "c"})
        standin::AddKey(HKEY_CURRENT_USER, std::string(kMaker) + "\\Quorvane\\" + name);
    standin::DeleteTreeOnEnum(HKEY_CURRENT_USER, std::string(kMaker) + "\\Quorvane", 1);

    RunRemoval();

    // The other program took Quorvane; the emptied maker key went in step 7.
    EXPECT_EQ((Lines{"HKCR", "HKCU", "HKCU\\Software"}), standin::Snapshot());
}

}  // namespace
