// The whole removal against hostile registry contents on the real registry
// under Wine: deep chains, the longest names, double-byte names, huge value
// lists, and a subkey whose security refuses full access.
#include "registry/removal_plan.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "registry_fixture.h"
#include "registry_support.h"

namespace {

typedef std::vector<std::string> Lines;

class HostileRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { fixture::Reset(); }
    void TearDown() override { fixture::Reset(); }

    // Creates a chain of keys, one below the other, below root\path.
    static void Chain(HKEY root, const char* path, const std::vector<std::string>& names) {
        HKEY key = NULL;
        ASSERT_EQ(ERROR_SUCCESS, regsupport::CreatePath(root, path, &key));
        for (const std::string& name : names) {
            HKEY child = NULL;
            ASSERT_EQ(ERROR_SUCCESS, regsupport::CreateKey(key, name, &child)) << name;
            RegCloseKey(key);
            key = child;
        }
        regsupport::SetString(key, "leaf", "leaf");
        RegCloseKey(key);
    }

    static DWORD WINAPI RemovalThread(LPVOID) {
        RunRemoval();
        return 0;
    }
};

TEST_F(HostileRegistryTest, ChainOf512LevelsGoesOnASmallStack) {
    Chain(HKEY_CLASSES_ROOT, "Tavro.Document", std::vector<std::string>(512, "shell"));
    fixture::AddKey(HKEY_CLASSES_ROOT, "Tavro.Document.2");
    // A quarter of the default 1 MiB stack is plenty for 512 levels.
    HANDLE thread = CreateThread(NULL, 256 * 1024, RemovalThread, NULL,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
    ASSERT_NE(static_cast<HANDLE>(NULL), thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 600 * 1000));
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(0u, code);
    EXPECT_FALSE(fixture::Exists(HKEY_CLASSES_ROOT, "Tavro.Document"));
    EXPECT_TRUE(fixture::Exists(HKEY_CLASSES_ROOT, "Tavro.Document.2"));
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "Tavro.Document.2");
}

TEST_F(HostileRegistryTest, NamesOf255CharactersBeyondMaxPath) {
    // Three levels of the longest names make a path far past MAX_PATH, which
    // the ANSI calls cannot take whole; the removal only ever names one level.
    Chain(HKEY_CLASSES_ROOT, ".tvr",
          {std::string(255, 'a'), std::string(255, 'b'), std::string(255, 'c')});
    Chain(HKEY_CLASSES_ROOT, ".tvr", {std::string(254, 'd')});
    RunRemoval();
    EXPECT_FALSE(fixture::Exists(HKEY_CLASSES_ROOT, ".tvr"));
}

TEST_F(HostileRegistryTest, DoubleByteNamesWithBackslashTrailBytes) {
    ASSERT_EQ(932u, GetACP()) << "run under LANG=ja_JP.UTF-8";
    // Code page 932: the trail byte of each first character is 0x5C, the
    // byte of a backslash.
    const std::string display = "\x95\x5C\x8E\xA6";           // 表示
    const std::string software = "\x83\x5C\x83\x74\x83\x67";  // ソフト
    const std::string schedule = "\x97\x5C\x92\xE8\x95\x5C";  // 予定表
    Chain(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane", {display, software});
    Chain(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane", {schedule});
    Chain(HKEY_CURRENT_USER, "Software\\Morrowfen.", {schedule, display});

    RunRemoval();

    EXPECT_FALSE(fixture::Exists(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane"));
    EXPECT_EQ((Lines{"Software\\Morrowfen.", "Software\\Morrowfen.\\" + schedule,
                     "Software\\Morrowfen.\\" + schedule + "\\" + display,
                     "Software\\Morrowfen.\\" + schedule + "\\" + display + " = leaf"}),
              fixture::Tree(HKEY_CURRENT_USER, "Software\\Morrowfen."));
}

TEST_F(HostileRegistryTest, KeyWithTenThousandValues) {
    HKEY key = NULL;
    ASSERT_EQ(ERROR_SUCCESS,
              regsupport::CreatePath(
                  HKEY_CURRENT_USER,
                  "Software\\Local AppWizard-Generated Applications\\Quorvane\\Settings", &key));
    const BYTE data[] = "0123456789";
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, ("Value" + std::to_string(i)).c_str(), 0,
                                                REG_SZ, data, sizeof data));
    RegCloseKey(key);
    RunRemoval();
    EXPECT_FALSE(
        fixture::Exists(HKEY_CURRENT_USER, "Software\\Local AppWizard-Generated Applications"));
}

TEST_F(HostileRegistryTest, SubKeyWhoseSecurityRefusesFullAccess) {
    const char kQuorvane[] = "Software\\Morrowfen.\\Quorvane";
    for (const char* name : {"Options", "Locked\\Inner", "Settings\\Window"})
        fixture::AddValue(HKEY_CURRENT_USER, std::string(kQuorvane) + "\\" + name, "v");

    // Everyone may read "Locked", nobody more; the owner keeps the right to
    // change that back.
    HKEY locked;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Locked", 0,
                            KEY_ALL_ACCESS, &locked));
    PSECURITY_DESCRIPTOR readOnly = NULL;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, NULL));
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, readOnly));
    RegCloseKey(locked);
    LocalFree(readOnly);
    HKEY probe;
    ASSERT_EQ(ERROR_ACCESS_DENIED,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Locked", 0,
                            KEY_ALL_ACCESS, &probe))
        << "the registry does not enforce key security here";

    RunRemoval();

    // The refused key keeps its subtree; its siblings go; the keys above it
    // cannot go while it is there.
    EXPECT_EQ((Lines{kQuorvane, std::string(kQuorvane) + "\\Locked",
                     std::string(kQuorvane) + "\\Locked\\Inner",
                     std::string(kQuorvane) + "\\Locked\\Inner = v"}),
              fixture::Tree(HKEY_CURRENT_USER, kQuorvane));
    EXPECT_TRUE(fixture::Exists(HKEY_CURRENT_USER, "Software\\Morrowfen."));

    // Give full access back so the fixture can clean up.
    PSECURITY_DESCRIPTOR full = NULL;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;KA;;;WD)",
                                                                     SDDL_REVISION_1, &full, NULL));
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Morrowfen.\\Quorvane\\Locked", 0,
                            WRITE_DAC, &locked));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(locked, DACL_SECURITY_INFORMATION, full));
    RegCloseKey(locked);
    LocalFree(full);
}

}  // namespace
