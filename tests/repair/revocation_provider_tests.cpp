#include "repair/repair.h"
#include "repair_fixture.h"

namespace {

std::wstring Listing()
{
    return L"CertDllVerifyRevocationRegUninstall\nKey: " + std::wstring(REVOCATION_KEY) + L"\n  ValName: Dll\n";
}

}  // namespace

TEST_F(RepairTest, TheSystemProviderFirstIsCorrectWhateverFollows)
{
    const std::vector<BYTE> providers = MultiSz({L"cryptnet.dll", L"other.dll"});
    SetProvider(providers);
    Printed printed = Run(CertDllVerifyRevocationRegUninstall, 1, 1);
    EXPECT_EQ(0u, printed.result);
    EXPECT_EQ(Listing() + L"    Value: cryptnet.dll\n\n", printed.out);
    EXPECT_EQ(L"", printed.err);
    verify_provider(REG_MULTI_SZ, providers);
}

TEST_F(RepairTest, AnotherProviderFirstIsResidueAndGivesWayToTheSystemOne)
{
    SetProvider(MultiSz({L"vxrevoke.dll", L"cryptnet.dll"}));
    Printed printed = Run(CertDllVerifyRevocationRegUninstall, 1, 1);
    EXPECT_NE(0u, printed.result);
    EXPECT_EQ(Listing() + L"    Value: vxrevoke.dll\n    NewValue: cryptnet.dll\n\n", printed.out);
    EXPECT_NE(std::wstring::npos, printed.err.find(L"Redundant data found: cryptnet.dll expected"));
    std::vector<BYTE> written = MultiSz({L"cryptnet.dll"});
    EXPECT_EQ(14 * sizeof(wchar_t), written.size());
    verify_provider(REG_MULTI_SZ, written);
}

TEST_F(RepairTest, TheSystemProviderInCapitalsIsRewritten)
{
    SetProvider(MultiSz({L"CRYPTNET.DLL"}));
    Printed printed = Run(CertDllVerifyRevocationRegUninstall, 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_NE(std::wstring::npos, printed.out.find(L"    NewValue: cryptnet.dll\n"));
    verify_provider(REG_MULTI_SZ, MultiSz({L"cryptnet.dll"}));
}

TEST_F(RepairTest, ReportModeShowsTheNewProviderWithoutWritingIt)
{
    const std::vector<BYTE> providers = MultiSz({L"vxrevoke.dll"});
    SetProvider(providers);
    Printed printed = Run(CertDllVerifyRevocationRegUninstall, 0, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_EQ(Listing() + L"    Value: vxrevoke.dll\n    NewValue: cryptnet.dll\n\n", printed.out);
    verify_provider(REG_MULTI_SZ, providers);
}

TEST_F(RepairTest, AProviderUnderANumberTypeIsWrittenAsAList)
{
    SetProvider({7, 0, 0, 0}, REG_DWORD);
    Run(CertDllVerifyRevocationRegUninstall, 1, 0);
    verify_provider(REG_MULTI_SZ, MultiSz({L"cryptnet.dll"}));
}

TEST_F(RepairTest, WithoutTheKeyThereIsNothingToRepairWithoutTheValueItFails)
{
    RemoveTestTree(HKEY_LOCAL_MACHINE, REVOCATION_KEY);
    Printed absent = Run(CertDllVerifyRevocationRegUninstall, 1, 1);
    EXPECT_EQ(0u, absent.result);
    EXPECT_EQ(L"CertDllVerifyRevocationRegUninstall\nKey not exist: " + std::wstring(REVOCATION_KEY) + L"\n\n",
              absent.out);

    add_key(HKEY_LOCAL_MACHINE, REVOCATION_KEY);
    Printed empty = Run(CertDllVerifyRevocationRegUninstall, 1, 0);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), empty.result);
    EXPECT_EQ(L"CertDllVerifyRevocationRegUninstall\nKey: " + std::wstring(REVOCATION_KEY) + L"\n", empty.out);
    EXPECT_TRUE(HasReport(empty.err, L"RegQueryValueEx failed", ERROR_FILE_NOT_FOUND));
}
