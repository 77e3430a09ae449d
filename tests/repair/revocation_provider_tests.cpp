#include "repair/repair.h"
#include "repair_fixture.h"

namespace {

std::wstring Listing()
{
    return L"CertDllVerifyRevocationRegUninstall\nKey: " + std::wstring(REVOCATION_KEY) + L"\n  ValName: Dll\n";
}

struct ProviderCase {
    const char *what;
    DWORD type;
    std::vector<BYTE> before;
    DWORD mode;
    DWORD warn;
    std::wstring out;  // after the listing
    std::vector<BYTE> after;
};

}  // namespace

TEST_F(RepairTest, TheSystemProviderComesFirstAndAnyOtherFirstIsResidue)
{
    const std::vector<BYTE> system = MultiSz({L"cryptnet.dll"});
    const std::wstring replaced = L"    Value: vxrevoke.dll\n    NewValue: cryptnet.dll\n\n";
    const ProviderCase cases[] = {
        {"the system provider first, whatever follows", REG_MULTI_SZ, MultiSz({L"cryptnet.dll", L"other.dll"}), 1, 1,
         L"    Value: cryptnet.dll\n\n", MultiSz({L"cryptnet.dll", L"other.dll"})},
        {"another provider first", REG_MULTI_SZ, MultiSz({L"vxrevoke.dll", L"cryptnet.dll"}), 1, 1,
         L"    Value: vxrevoke.dll\n    NewValue: cryptnet.dll\n\n", system},
        {"the system provider in capitals", REG_MULTI_SZ, MultiSz({L"CRYPTNET.DLL"}), 1, 0,
         L"    Value: CRYPTNET.DLL\n    NewValue: cryptnet.dll\n\n", system},
        {"report mode writes nothing", REG_MULTI_SZ, MultiSz({L"vxrevoke.dll"}), 0, 0, replaced,
         MultiSz({L"vxrevoke.dll"})},
        {"a number becomes a list", REG_DWORD, {7, 0, 0, 0}, 1, 0, L"", system},
    };
    for (const ProviderCase &provider : cases) {
        SCOPED_TRACE(provider.what);
        SetProvider(provider.before, provider.type);
        Printed printed = Run(CertDllVerifyRevocationRegUninstall, provider.mode, provider.warn);
        bool residue = provider.warn && provider.before != provider.after;
        EXPECT_EQ(residue, printed.result != 0);
        if (!provider.out.empty()) {
            EXPECT_EQ(Listing() + provider.out, printed.out);
        }
        EXPECT_EQ(residue, printed.err.find(L"Redundant data found: cryptnet.dll expected") != std::wstring::npos);
        verify_provider(REG_MULTI_SZ, provider.after);
    }
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
