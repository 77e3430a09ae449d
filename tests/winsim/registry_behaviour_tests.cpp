// The simulated registry answers as Windows does where the program and its
// tests rely on it; Wine differs on some of these (order, limits), so they
// are checked here against Windows' documented behaviour.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "registry_helpers.h"

namespace {

class WinsimRegistryTest : public testing::Test {
  protected:
    // A 32-bit machine unless a test asks for views: link targets and the
    // helpers' paths then name the same keys.
    void SetUp() override
    {
        winsim::ResetMachine();
        winsim::SetMachineKind(winsim::MachineKind::Windows32);
    }

    std::vector<std::wstring> Subkeys(const std::wstring &path, REGSAM view = 0)
    {
        std::vector<std::wstring> names;
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
            return names;
        wchar_t name[256];
        DWORD length;
        for (DWORD i = 0;
             (length = 256, RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr)) == ERROR_SUCCESS;
             ++i)
            names.push_back(name);
        RegCloseKey(key);
        return names;
    }

    HKEY Open(const std::wstring &path, DWORD options = 0, REGSAM access = KEY_ALL_ACCESS)
    {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), options, access, &key));
        return key;
    }

    const std::wstring T = L"SOFTWARE\\VxTest";
};

}  // namespace

TEST_F(WinsimRegistryTest, SubkeysSortAfterFoldingToUpperCaseValuesStayInCreationOrder)
{
    for (const wchar_t *name : {L"b", L"_x", L"A", L"Z", L"\x044F"})
        add_key(HKEY_LOCAL_MACHINE, T + L"\\" + name);
    EXPECT_EQ((std::vector<std::wstring>{L"A", L"b", L"Z", L"_x", L"\x044F"}), Subkeys(T));
    add_key(HKEY_LOCAL_MACHINE, T + L"\\B");
    EXPECT_EQ(5u, Subkeys(T).size()) << "names are case-insensitive";

    add_sz(HKEY_LOCAL_MACHINE, T, L"z", L"1");
    add_sz(HKEY_LOCAL_MACHINE, T, L"a", L"2");
    HKEY key = Open(T);
    wchar_t name[16];
    DWORD length = 16;
    EXPECT_EQ(ERROR_SUCCESS, RegEnumValueW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ(L"z", name);
    RegCloseKey(key);
}

TEST_F(WinsimRegistryTest, KeyNamesStopAt255Characters)
{
    HKEY key;
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, (T + L"\\" + std::wstring(256, L'n')).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr));
    add_key(HKEY_LOCAL_MACHINE, T + L"\\" + std::wstring(255, L'n'));
    key = Open(T);
    wchar_t name[255];
    DWORD length = 255;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);
}

TEST_F(WinsimRegistryTest, The32BitViewRedirectsSoftwareButNotItsSharedKeys)
{
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
    add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune", KEY_WOW64_32KEY);
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Vexa Lune", KEY_WOW64_64KEY);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune", KEY_WOW64_64KEY);
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune");

    add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID\\{1}");
    add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\TypeLib\\{2}");
    add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.vx");
    add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography\\Services\\S");
    add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\D");
    add_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\vx");
    EXPECT_EQ((std::vector<std::wstring>{L"CLSID", L"TypeLib"}),
              Subkeys(L"SOFTWARE\\Classes\\Wow6432Node", KEY_WOW64_64KEY));
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.vx", KEY_WOW64_64KEY);
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography\\Services\\S", KEY_WOW64_64KEY);
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Microsoft\\Cryptography\\Defaults\\D", KEY_WOW64_64KEY);
    verify_key(HKEY_LOCAL_MACHINE, L"SYSTEM\\ControlSet001\\Services\\vx", KEY_WOW64_64KEY);
    verify_key(HKEY_CLASSES_ROOT, L"CLSID\\{1}");
    verify_key_nonexist(HKEY_CLASSES_ROOT, L"CLSID\\{1}", KEY_WOW64_64KEY);
}

TEST_F(WinsimRegistryTest, A32BitMachineHasOneView)
{
    add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune", KEY_WOW64_32KEY);
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune", KEY_WOW64_64KEY);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node");
}

// Wine's classes root is the machine's alone.
TEST_F(WinsimRegistryTest, TheClassesRootShowsTheUsersClassesOverTheMachines)
{
    add_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID\\{1}\\InprocServer32", L"", L"machine.dll");
    add_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID\\{2}", L"", L"machine");
    add_sz(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID\\{1}\\InprocServer32", L"", L"user.dll");
    verify_sz(HKEY_CLASSES_ROOT, L"CLSID\\{1}\\InprocServer32", L"", L"user.dll");
    verify_sz(HKEY_CLASSES_ROOT, L"CLSID\\{2}", L"", L"machine");
    HKEY user;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID\\{1}", 0, KEY_READ, &user));
    verify_sz(user, L"InprocServer32", L"", L"user.dll");
    RegCloseKey(user);

    add_key(HKEY_CLASSES_ROOT, L"CLSID\\{3}");
    verify_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID\\{3}");
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CLASSES_ROOT, L"CLSID\\{1}\\InprocServer32"));
    verify_sz(HKEY_CLASSES_ROOT, L"CLSID\\{1}\\InprocServer32", L"", L"machine.dll");
    verify_key(HKEY_CURRENT_USER, L"Software\\Classes\\CLSID\\{1}");
}

TEST_F(WinsimRegistryTest, NewSubkeysInheritExactlyTheInheritableEntries)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\P");
    std::vector<BYTE> parent = KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\P");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\P\\Child");
    std::vector<BYTE> child = KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\P\\Child");
    BOOL present, defaulted;
    PACL parentAcl, childAcl;
    GetSecurityDescriptorDacl(parent.data(), &present, &parentAcl, &defaulted);
    GetSecurityDescriptorDacl(child.data(), &present, &childAcl, &defaulted);
    ASSERT_EQ(parentAcl->AceCount, childAcl->AceCount);
    ACE_HEADER *ace;
    GetAce(childAcl, 0, reinterpret_cast<LPVOID *>(&ace));
    EXPECT_TRUE(ace->AceFlags & INHERITED_ACE);
}

TEST_F(WinsimRegistryTest, CallsFailOnOneKeyAndOneEntryEveryTime)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\K", L"a", L"");
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\K", L"b", L"");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\L");
    EXPECT_FALSE(winsim::FailKeyCall("RegOpenKeyExW", T + L"\\Missing", 1450));
    ASSERT_TRUE(winsim::FailKeyCall("RegEnumValueW", T + L"\\K", ERROR_MORE_DATA, L"B"));
    ASSERT_TRUE(winsim::FailKeyCall("RegCloseKey", T + L"\\K", ERROR_INVALID_HANDLE));
    ASSERT_TRUE(winsim::FailKeyCall("RegOpenKeyExW", T + L"\\L", 1450));
    for (int round = 0; round < 2; ++round) {
        HKEY key = Open(T + L"\\K");
        wchar_t name[16];
        DWORD length = 16;
        EXPECT_EQ(ERROR_SUCCESS, RegEnumValueW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
        length = 16;
        EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr));
        EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
        HKEY other;
        EXPECT_EQ(1450, RegOpenKeyExW(HKEY_LOCAL_MACHINE, (T + L"\\L").c_str(), 0, KEY_READ, &other));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"K", L"L"}), Subkeys(T));
}
