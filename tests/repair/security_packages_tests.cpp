#include "driver/process_state.h"
#include "repair/repair.h"
#include "repair_fixture.h"

namespace {

const std::wstring NO_REPAIR = L"\"\"";

}  // namespace

TEST_F(RepairTest, SslTakesItsPackageOutAndAppendsTheMissingSystemOne)
{
    SetPackages(MultiSz({L"kerberos", L"vxssl", L"msv1_0"}));
    Printed printed = Run(SslRegUninstall, 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_EQ(L"SslRegUninstall\n"
              L"  Old Security Packages: [kerberos vxssl msv1_0  ]\n"
              L"    found: vxssl\n"
              L"  New Security Packages: [kerberos msv1_0 schannel  ]\n"
              L"\n",
              printed.out);
    EXPECT_EQ(L"", printed.err);
    std::vector<BYTE> written = MultiSz({L"kerberos", L"msv1_0", L"schannel"});
    EXPECT_EQ(26 * sizeof(wchar_t), written.size());
    verify_packages(written);
    EXPECT_EQ(1, RebootNeeded);
}

TEST_F(RepairTest, TwoQuotesBeforeTheProductKeepTheSystemPackagesOut)
{
    SetPackages(MultiSz({NO_REPAIR}));
    Printed alone = Run(SslRegUninstall, 1, 0);
    EXPECT_EQ(0u, alone.result);
    EXPECT_NE(std::wstring::npos, alone.out.find(L"    not found: vxssl\n  Will not repair system packages.\n"));
    verify_packages(MultiSz({NO_REPAIR}));
    EXPECT_EQ(0, RebootNeeded);

    SetPackages(MultiSz({L"x", NO_REPAIR, L"vxssl", L"y"}));
    Printed before = Run(SslRegUninstall, 1, 0);
    EXPECT_NE(std::wstring::npos, before.out.find(L"    found: vxssl\n  Will not repair system packages.\n"));
    verify_packages(MultiSz({L"x", NO_REPAIR, L"y"}));
    EXPECT_EQ(1, RebootNeeded);
}

TEST_F(RepairTest, TwoQuotesAfterTheProductAreNotLookedAt)
{
    SetPackages(MultiSz({L"vxssl", NO_REPAIR, L"kerberos"}));
    Printed printed = Run(SslRegUninstall, 1, 0);
    EXPECT_EQ(std::wstring::npos, printed.out.find(L"Will not repair"));
    verify_packages(MultiSz({NO_REPAIR, L"kerberos", L"schannel", L"msv1_0"}));
}

TEST_F(RepairTest, OnlyTheClosingNul)
{
    SetPackages(MultiSz({}));
    Printed tls = Run(TlsRegUninstall, 1, 0);
    EXPECT_EQ(L"TlsRegUninstall\n  Old Security Packages: [ ]\n    not found: vxtls\n"
              L"  New Security Packages: [ ]\n\n",
              tls.out);
    verify_packages(MultiSz({}));
    EXPECT_EQ(0, RebootNeeded);

    Run(SslRegUninstall, 1, 0);
    verify_packages(MultiSz({L"schannel", L"kerberos", L"msv1_0"}));
    EXPECT_EQ(1, RebootNeeded);
}

TEST_F(RepairTest, TheProductLastOrAloneLeavesTheRestAndTheClosingNul)
{
    SetPackages(MultiSz({L"kerberos", L"msv1_0", L"vxtls"}));
    EXPECT_EQ(0u, Run(TlsRegUninstall, 1, 0).result);
    verify_packages(MultiSz({L"kerberos", L"msv1_0"}));

    SetPackages(MultiSz({L"vxtls"}));
    Run(TlsRegUninstall, 1, 0);
    verify_packages(MultiSz({}));

    SetPackages(MultiSz({L"vxssl"}));
    Run(SslRegUninstall, 1, 0);
    verify_packages(MultiSz({L"schannel", L"kerberos", L"msv1_0"}));
}

TEST_F(RepairTest, OnlyTheFirstEqualElementGoes)
{
    SetPackages(MultiSz({L"vxtls", L"kerberos", L"vxtls"}));
    Run(TlsRegUninstall, 1, 0);
    verify_packages(MultiSz({L"kerberos", L"vxtls"}));
}

TEST_F(RepairTest, ReportModeWithWarnReportsTheProductAndWritesNothing)
{
    SetPackages(MultiSz({L"kerberos", L"vxtls"}));
    Printed printed = Run(TlsRegUninstall, 0, 1);
    EXPECT_NE(0u, printed.result);
    EXPECT_EQ(L"TlsRegUninstall\n  Old Security Packages: [kerberos vxtls  ]\n    found: vxtls\n\n", printed.out);
    EXPECT_NE(std::wstring::npos, printed.err.find(L"Redundant data found"));
    verify_packages(MultiSz({L"kerberos", L"vxtls"}));
    EXPECT_EQ(0, RebootNeeded);

    // Without the product there is no residue.
    SetPackages(MultiSz({L"kerberos"}));
    EXPECT_EQ(0u, Run(TlsRegUninstall, 0, 1).result);
}

TEST_F(RepairTest, CaseAndSuffixAreOtherPackages)
{
    const std::vector<BYTE> others =
        MultiSz({L"VXTLS", L"vxtls.dll", L"vxtls2", L"Vxssl", L"vxssl.dll", L"kerberos", L"schannel", L"msv1_0"});
    SetPackages(others);
    EXPECT_NE(std::wstring::npos, Run(TlsRegUninstall, 1, 1).out.find(L"    not found: vxtls\n"));
    EXPECT_NE(std::wstring::npos, Run(SslRegUninstall, 1, 1).out.find(L"    not found: vxssl\n"));
    verify_packages(others);
    EXPECT_EQ(0, RebootNeeded);
}

TEST_F(RepairTest, AListWithoutItsClosingElementKeepsEveryElement)
{
    // The last element's NUL taken for the closing one must not let an
    // appended name run into that element.
    SetPackages(Raw(L"kerberos\0msv1_0"));
    Printed printed = Run(SslRegUninstall, 1, 0);
    EXPECT_EQ(L"SslRegUninstall\n  Old Security Packages: [kerberos msv1_0]\n"
              L"  No closing empty element: the list ends with the value.\n    not found: vxssl\n"
              L"  New Security Packages: [kerberos msv1_0 schannel  ]\n\n",
              printed.out);
    verify_packages(MultiSz({L"kerberos", L"msv1_0", L"schannel"}));

    SetPackages(Raw(L"vxtls\0kerberos\0"));
    Run(TlsRegUninstall, 1, 0);
    verify_packages(MultiSz({L"kerberos"}));

    SetPackages(Raw(L"kerberos\0vxtls"));
    Run(TlsRegUninstall, 1, 0);
    verify_packages(MultiSz({L"kerberos"}));

    // Nothing to change: the value keeps the form it had.
    RebootNeeded = 0;
    SetPackages(Raw(L"kerberos\0schannel"));
    Printed unchanged = Run(TlsRegUninstall, 1, 0);
    EXPECT_EQ(0u, unchanged.result);
    EXPECT_NE(std::wstring::npos,
              unchanged.out.find(L"    not found: vxtls\n  Nothing to change: the value is left as it was.\n\n"));
    verify_packages(Raw(L"kerberos\0schannel"));
    EXPECT_EQ(0, RebootNeeded);
}

TEST_F(RepairTest, AnEmptyValueIsAnEmptyList)
{
    SetPackages({});
    Printed tls = Run(TlsRegUninstall, 1, 0);
    EXPECT_EQ(0u, tls.result);
    EXPECT_NE(std::wstring::npos, tls.out.find(L"  Old Security Packages: []\n"));
    EXPECT_NE(std::wstring::npos, tls.out.find(L"  Nothing to change: the value is left as it was.\n\n"));
    verify_packages({});
    EXPECT_EQ(0, RebootNeeded);

    Run(SslRegUninstall, 1, 0);
    verify_packages(MultiSz({L"schannel", L"kerberos", L"msv1_0"}));
    EXPECT_EQ(1, RebootNeeded);
}

TEST_F(RepairTest, ValuesThatAreNoListOfCharactersStayAsTheyAre)
{
    // An odd byte after whole characters, and values of other types.
    std::vector<BYTE> partial = MultiSz({L"vxssl", L"kerberos"});
    partial.push_back(0x41);
    SetPackages(partial);
    Printed printed = Run(SslRegUninstall, 1, 1);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), printed.result);
    EXPECT_EQ(L"SslRegUninstall\n", printed.out);
    EXPECT_TRUE(HasReport(printed.err,
                          L"Security Packages is not a multi-string (type 7, " + std::to_wstring(partial.size()) +
                              L" bytes): left unchanged",
                          ERROR_INVALID_DATA));
    verify_packages(partial);

    SetPackages(SzBytes(L"vxssl"), REG_SZ);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_DATA), Run(SslRegUninstall, 1, 0).result);
    verify_reg(HKEY_LOCAL_MACHINE, LSA_KEY, L"Security Packages", REG_SZ, SzBytes(L"vxssl"));

    const std::vector<BYTE> number = {1, 0, 0, 0};
    SetPackages(number, REG_DWORD);
    EXPECT_NE(0u, Run(TlsRegUninstall, 1, 0).result);
    verify_reg(HKEY_LOCAL_MACHINE, LSA_KEY, L"Security Packages", REG_DWORD, number);
    EXPECT_EQ(0, RebootNeeded);
}

TEST_F(RepairTest, AMissingValueIsAFailure)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_LOCAL_MACHINE, LSA_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegDeleteValueW(key, L"Security Packages");
    RegCloseKey(key);
    Printed printed = Run(TlsRegUninstall, 1, 0);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), printed.result);
    EXPECT_EQ(L"TlsRegUninstall\n", printed.out);
    EXPECT_TRUE(HasReport(printed.err, L"RegQueryValueEx failed", ERROR_FILE_NOT_FOUND));
}
