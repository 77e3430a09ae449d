#include "driver/process_state.h"
#include "output_capture.h"
#include "registry/registry.h"
#include "registry_fixture.h"

namespace {

class SearchTest : public RegistryTest {
  protected:
    Printed Wipe(const std::wstring &path, const wchar_t *keyName, const wchar_t *valueData, DWORD mode, DWORD warn)
    {
        return Capture([&] { return WipeMatchingKeys(path.c_str(), keyName, valueData, mode, warn); });
    }

    std::wstring Header(const std::wstring &keyName, const std::wstring &valueName, const std::wstring &valueData,
                        const std::wstring &path)
    {
        return L"Searching for\n    KeyName: '" + keyName + L"'\n or ValName: '" + valueName + L"'\n or ValData: '" +
               valueData + L"'\n in '" + path + L"'\n";
    }
};

}  // namespace

TEST_F(SearchTest, TheChainToAMatchIsShownAndOnlyTheMatchGoes)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Chain\\A\\VexaLune\\Inner");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Chain\\A\\vexalune csp");
    Printed shown = Wipe(T + L"\\Chain", L"VexaLune", nullptr, 0, 0);
    EXPECT_EQ(0u, shown.result);
    EXPECT_EQ(Header(L"VexaLune", L"", L"", T + L"\\Chain") + T +
                  L"\\Chain\n"
                  L"  A\n"
                  L"    VexaLune\n"
                  L"    ^^^ lpKeyNameMatch\n\n",
              shown.out);

    EXPECT_EQ(0u, Wipe(T + L"\\Chain", L"VexaLune", nullptr, 1, 0).result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Chain\\A\\VexaLune");
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\Chain\\A\\vexalune csp");
}

TEST_F(SearchTest, AStartKeyWhosePathMatchesGoesWhole)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\VexaLune Root\\Child");
    Printed printed = Wipe(T + L"\\VexaLune Root", L"VexaLune", nullptr, 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_NE(std::wstring::npos, printed.out.find(T + L"\\VexaLune Root\n^^^ lpKeyNameMatch\n"));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\VexaLune Root");
}

TEST_F(SearchTest, OnlyPlainStringDataMatches)
{
    add_value(HKEY_LOCAL_MACHINE, T + L"\\Data\\Expand", L"p", REG_EXPAND_SZ, SzBytes(L"%x%\\VexaLune"));
    add_value(HKEY_LOCAL_MACHINE, T + L"\\Data\\Multi", L"p", REG_MULTI_SZ, SzBytes(L"VexaLune"));
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Data\\Plain", L"p", L"by VexaLune CSP");
    add_value(HKEY_LOCAL_MACHINE, T + L"\\Data\\Odd", L"p", REG_SZ, std::vector<BYTE>(5, 'V'));
    Printed printed = Wipe(T + L"\\Data", nullptr, L"VexaLune", 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_NE(std::wstring::npos, printed.out.find(L"  Plain\n  ^^^ lpValDataMatch\n"));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Data\\Plain");
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\Data\\Expand");
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\Data\\Multi");
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\Data\\Odd");
}

TEST_F(SearchTest, ReportModeWithWarnCountsEveryMatchAndDeletesNothing)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Report\\VexaLune A\\VexaLune Inner");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Report\\VexaLune B");
    Printed printed = Wipe(T + L"\\Report", L"VexaLune", nullptr, 0, 1);
    EXPECT_NE(0u, printed.result);
    EXPECT_NE(std::wstring::npos, printed.out.find(L"VexaLune B\n"));
    EXPECT_EQ(std::wstring::npos, printed.out.find(L"VexaLune Inner"));
    size_t first = printed.err.find(L":Redundant data found\n");
    ASSERT_NE(std::wstring::npos, first);
    EXPECT_NE(std::wstring::npos, printed.err.find(L":Redundant data found\n", first + 1));
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\Report\\VexaLune A\\VexaLune Inner");
}

TEST_F(SearchTest, WithoutRecursionOnlyTheDirectSubkeysAreTested)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Components\\C1", L"01C4A8E6", L"C:\\a.dll");
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Components\\C1", L"other", L"C:\\b.dll");
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Components\\C2\\Deeper", L"01C4A8E6", L"C:\\c.dll");
    OutputCapture capture;
    DWORD result = RecurseSearchRegTree(HKEY_LOCAL_MACHINE, (T + L"\\Components").c_str(), 0, nullptr, L"01C4A8E6",
                                        nullptr, 1, 0, FALSE);
    capture.Stop();
    EXPECT_EQ(0u, result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Components\\C1");
    verify_sz(HKEY_LOCAL_MACHINE, T + L"\\Components\\C2\\Deeper", L"01C4A8E6", L"C:\\c.dll");
}

TEST_F(SearchTest, LinksAreNeverSearchedAndAMatchingLinkGoesItself)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Outside\\VexaLune Elsewhere");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Linked\\Plain");
    add_link(T + L"\\Linked\\up", T + L"\\Linked");
    add_link(T + L"\\Linked\\away", T + L"\\Outside");
    add_link(T + L"\\Linked\\VexaLune Link", T + L"\\Outside");
    Printed printed = Wipe(T + L"\\Linked", L"VexaLune", nullptr, 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_NE(std::wstring::npos, printed.out.find(L"  up (link, not followed)\n"));
    verify_link_nonexist(T + L"\\Linked\\VexaLune Link");
    verify_link(T + L"\\Linked\\up");
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\Outside\\VexaLune Elsewhere");
}

TEST_F(SearchTest, ADeniedSubkeyIsSkippedAtItsDepth)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Mixed\\Closed");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Mixed\\VexaLune");
    deny_everyone(HKEY_LOCAL_MACHINE, T + L"\\Mixed\\Closed");
    Printed printed = Wipe(T + L"\\Mixed", L"VexaLune", nullptr, 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_NE(std::wstring::npos, printed.out.find(L"  Access denied (skipping): Closed\n"));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Mixed\\VexaLune");
}
