// The whole remove run on an installed machine, as a 32-bit process meets it on
// 32-bit Windows (one pass) and on 64-bit Windows (the 64-bit view and the
// unredirected file system first, then the 32-bit view and SysWOW64). The
// machine is set up and checked through Win32 calls only, so the same test
// runs on the simulated machine and on a real one of each kind.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/wow64.h"
#include "installed_family.h"
#include "registry_helpers.h"
#include "run_vxclean.h"
#include "test_machine.h"

namespace {

bool Exists(const std::wstring &path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether each path exists, seen without file-system redirection.
std::vector<bool> ExistUnredirected(const std::vector<std::wstring> &paths)
{
    std::vector<bool> found;
    WithoutFsRedirection([&] {
        for (const std::wstring &path : paths)
            found.push_back(Exists(path));
    });
    return found;
}

class WholeRunTest : public testing::TestWithParam<bool> {};

}  // namespace

TEST_P(WholeRunTest, EveryViewAndSystemFolderIsCleanedAndWhatIsNotTheProductsStays)
{
    const bool windows64 = GetParam();
    StartFreshMachine();
    if (windows64)
        UseBothViews();
    if ((IsWow64() != FALSE) != windows64)
        GTEST_SKIP() << "this process does not run on " << (windows64 ? "64" : "32")
                     << "-bit Windows as a 32-bit process (a 64-bit build sees one view)";
    EnableTakeOwnership();
    InstallBystanders();
    InstallProductFamily();

    Outcome run = RunVxclean({L"-clear"});
    SelectTestLocale();
    EXPECT_EQ(0u, run.status) << std::string(run.out.begin(), run.out.end());

    const std::vector<REGSAM> views =
        windows64 ? std::vector<REGSAM>{KEY_WOW64_64KEY, KEY_WOW64_32KEY} : std::vector<REGSAM>{0};
    for (REGSAM view : views) {
        SCOPED_TRACE(view == KEY_WOW64_64KEY ? "64-bit view" : view ? "32-bit view" : "the only view");
        for (const wchar_t *key : {L"SOFTWARE\\Vexa Lune\\Cryptography", L"SOFTWARE\\Vexa Lune\\OCSPAPI",
                                   L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\Vexa-Lune GOST CSP",
                                   L"SOFTWARE\\Microsoft\\Cryptography\\Calais\\SmartCards\\VxToken",
                                   L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vxtest.exe",
                                   L"SOFTWARE\\Microsoft\\Office\\Word\\Addins\\vxXMLDSigAddIn.Connect"})
            verify_key_nonexist(HKEY_LOCAL_MACHINE, key, view);
        verify_key_nonexist(HKEY_CLASSES_ROOT, L"CAPICOM.Store\\CLSID", view);
        verify_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\Other Vendor CSP",
                  L"Image Path", L"other.dll", view);
        verify_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls", L"othercpl",
                  L"C:\\Windows\\system32\\other.cpl", view);
        verify_reg(HKEY_LOCAL_MACHINE,
                   L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CertDllVerifyRevocation\\DEFAULT", L"Dll",
                   REG_MULTI_SZ, SzBytes(std::wstring(L"cryptnet.dll") + L'\0'), view);
        verify_key(HKEY_CLASSES_ROOT, L"TypeLib", view);
    }
    // The 32-bit view's keys, as 64-bit programs see them: gone too, while the
    // users' keys kept there stay.
    if (windows64) {
        verify_key_nonexist(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Vexa Lune\\OCSPAPI", KEY_WOW64_64KEY);
        verify_key(HKEY_LOCAL_MACHINE,
                   L"SOFTWARE\\Wow6432Node\\Vexa Lune\\Settings\\Users\\S-1-5-21-1004336348-1177238915-682003330-1000",
                   KEY_WOW64_64KEY);
    }

    std::vector<std::wstring> gone = {L"C:\\Windows\\System32\\vxssl.dll",
                                      L"C:\\Windows\\System32\\drivers\\vxdrvlib.sys",
                                      L"C:\\Program Files\\Vexa Lune\\Tools\\vxtest.exe"};
    if (windows64)
        gone.insert(gone.end(), {L"C:\\Windows\\SysWOW64\\vxssl.dll", L"C:\\Windows\\SysWOW64\\drivers\\vxdrvlib.sys",
                                 L"C:\\Program Files (x86)\\Vexa Lune\\Tools\\vxtest.exe"});
    const std::vector<bool> found = ExistUnredirected(gone);
    for (size_t i = 0; i < gone.size(); ++i)
        EXPECT_FALSE(found[i]) << std::string(gone[i].begin(), gone[i].end());
    EXPECT_TRUE(ExistUnredirected({L"C:\\Windows\\System32\\drivers"})[0]);
    if (!windows64)
        return;
    EXPECT_TRUE(ExistUnredirected({L"C:\\Windows\\SysWOW64\\drivers"})[0]);

    // The run gives this thread its redirection back: a file made in System32
    // lands in SysWOW64.
    const std::wstring probe = L"vxclean-redirection-probe.txt";
    HANDLE file = CreateFileW((L"C:\\Windows\\System32\\" + probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    const std::vector<bool> landed =
        ExistUnredirected({L"C:\\Windows\\SysWOW64\\" + probe, L"C:\\Windows\\System32\\" + probe});
    DeleteFileW((L"C:\\Windows\\System32\\" + probe).c_str());
    EXPECT_TRUE(landed[0]);
    EXPECT_FALSE(landed[1]);
}

INSTANTIATE_TEST_SUITE_P(Windows, WholeRunTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool> &info) { return info.param ? "x64" : "x86"; });
