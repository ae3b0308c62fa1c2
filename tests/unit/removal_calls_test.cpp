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
                  "open HKCR\\.tvr",
                  "open HKCR\\Tavro.Document",
                  "open HKCR\\CLSID\\{93B1E7A4-5C2D-4F08-A6E1-7D42C0B95F13}",
                  "open HKCU\\Software\\Local AppWizard-Generated Applications\\Quorvane",
                  "open HKCU\\Software\\Morrowfen.\\Quorvane",
                  "open HKCU\\Software\\Local AppWizard-Generated Applications",
                  "open HKCU\\Software\\Morrowfen.",
              }),
              Calls());
}

TEST_F(RemovalCallsTest, EmptyParentIsTestedThenOpenedAgainAndDeleted) {
    standin::AddValue(HKEY_CURRENT_USER, kMaker, "values do not count");
    RunRemoval();
    Lines calls = Calls();
    Lines stepSeven(calls.end() - 7, calls.end());
    EXPECT_EQ((Lines{
                  "open HKCU\\Software\\Morrowfen.",
                  "enum HKCU\\Software\\Morrowfen. #0",
                  "close HKCU\\Software\\Morrowfen.",
                  "open HKCU\\Software\\Morrowfen.",
                  "enum HKCU\\Software\\Morrowfen. #0",
                  "close HKCU\\Software\\Morrowfen.",
                  "delete HKCU\\Software\\Morrowfen.",
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

TEST_F(RemovalCallsTest, TargetDeletedByAnotherProgramMidWalkDoesNotHangTheRun) {
    for (const char* name : {"a", "b", "c"})
        standin::AddKey(HKEY_CURRENT_USER, std::string(kMaker) + "\\Quorvane\\" + name);
    standin::DeleteTreeOnEnum(HKEY_CURRENT_USER, std::string(kMaker) + "\\Quorvane", 1);

    RunRemoval();

    // The other program took Quorvane; the emptied maker key went in step 7.
    EXPECT_EQ((Lines{"HKCR", "HKCU", "HKCU\\Software"}), standin::Snapshot());
}

}  // namespace
