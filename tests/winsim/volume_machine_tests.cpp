// A machine made of a Windows volume on the host: its folder as drive C:, the
// user whose hive is HKEY_CURRENT_USER, the system folders where the volume's
// registry puts them.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "registry_helpers.h"

TEST(WinsimVolumeMachine, AFolderIsDriveCAsItIsWithNamesMatchedWithoutCase)
{
    std::string volume = testing::TempDir() + "winsim_volume";
    ASSERT_EQ(0, std::system(("rm -rf '" + volume + "' && mkdir -p '" + volume + "/WINDOWS/system32'").c_str()));
    winsim::ResetMachine();
    winsim::UseFolderAsDriveC(volume);
    EXPECT_EQ(volume + "/WINDOWS/system32/Config", winsim::HostPathOf(L"C:\\Windows\\SYSTEM32\\Config"));
    EXPECT_EQ("", winsim::HostPathOf(L"C:\\Missing\\x"));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"c:\\windows"));
    EXPECT_TRUE(CreateDirectoryW(L"C:\\Windows\\SysWOW64\\..\\Temp", nullptr));
    struct stat made;
    EXPECT_EQ(0, stat((volume + "/WINDOWS/Temp").c_str(), &made));

    SetEnvironmentVariableW(L"SystemRoot", L"C:\\WINNT");
    wchar_t folder[MAX_PATH];
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, 0, folder));
    EXPECT_STREQ(L"C:\\WINNT\\system32", folder);
    winsim::SetCommonStartMenu(L"C:\\Documents and Settings\\All Users\\Start Menu");
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_COMMON_STARTMENU, nullptr, 0, folder));
    EXPECT_STREQ(L"C:\\Documents and Settings\\All Users\\Start Menu", folder);
}

TEST(WinsimVolumeMachine, TheUserChosenBySidOwnsTheCurrentUsersKey)
{
    winsim::ResetMachine();
    EXPECT_FALSE(winsim::SetUserSid(L"S-1-5-21-x"));
    EXPECT_FALSE(winsim::SetUserSid(L"S-1-5-21-1-4294967296"));
    ASSERT_TRUE(winsim::SetUserSid(L"S-1-5-21-11-22-33-1013"));
    add_sz(HKEY_USERS, L"S-1-5-21-11-22-33-1013\\Software", L"name", L"the profile's");
    verify_sz(HKEY_CURRENT_USER, L"Software", L"name", L"the profile's");
    winsim::ResetMachine();
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_USERS, L"S-1-5-21-11-22-33-1013", 0, KEY_READ, &key));
}
