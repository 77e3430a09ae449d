#include "driver/process_state.h"
#include "output_capture.h"
#include "registry/registry.h"
#include "registry_fixture.h"

namespace {

class DeleteValuesTest : public RegistryTest {
  protected:
    Printed DeleteValues(const std::wstring &path, const wchar_t *pattern, DWORD mode, DWORD warn)
    {
        return Capture([&] { return DeleteValuesByName(HKEY_LOCAL_MACHINE, path.c_str(), pattern, mode, warn); });
    }
};

}  // namespace

TEST_F(DeleteValuesTest, EveryValueContainingThePatternGoesTheRestStays)
{
    const std::wstring key = T + L"\\SharedDlls";
    add_sz(HKEY_LOCAL_MACHINE, key, L"C:\\Program Files\\Common Files\\x\\vxssl.dll", L"1");
    add_sz(HKEY_LOCAL_MACHINE, key, L"C:\\Windows\\vxssl.dll.mui", L"1");
    add_sz(HKEY_LOCAL_MACHINE, key, L"C:\\Windows\\VXSSL.DLL", L"1");
    add_sz(HKEY_LOCAL_MACHINE, key, L"C:\\Windows\\other.dll", L"1");
    Printed printed = DeleteValues(key, L"vxssl.dll", 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_NE(std::wstring::npos,
              printed.out.find(L"ValName: " + key + L"\\C:\\Program Files\\Common Files\\x\\vxssl.dll\n"));
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle));
    DWORD type;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(handle, L"C:\\Program Files\\Common Files\\x\\vxssl.dll", nullptr,
                                                     &type, nullptr, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExW(handle, L"C:\\Windows\\vxssl.dll.mui", nullptr, &type, nullptr, nullptr));
    RegCloseKey(handle);
    verify_sz(HKEY_LOCAL_MACHINE, key, L"C:\\Windows\\VXSSL.DLL", L"1");
    verify_sz(HKEY_LOCAL_MACHINE, key, L"C:\\Windows\\other.dll", L"1");
}

TEST_F(DeleteValuesTest, NoMatchAndNoKeyAreNotFailures)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Cpl", L"other", L"x");
    Printed none = DeleteValues(T + L"\\Cpl", L"vxcpl", 1, 1);
    EXPECT_EQ(0u, none.result);
    EXPECT_EQ(L"Searching for ValName: " + T + L"\\Cpl\\*vxcpl*\nMatching ValName not exist: " + T +
                  L"\\Cpl\\*vxcpl*\n\n",
              none.out);
    Printed absent = DeleteValues(T + L"\\Absent", L"vxcpl", 1, 1);
    EXPECT_EQ(0u, absent.result);
    EXPECT_EQ(L"Searching for ValName: " + T + L"\\Absent\\*vxcpl*\nKey not exist: " + T + L"\\Absent\n\n", absent.out);
}
