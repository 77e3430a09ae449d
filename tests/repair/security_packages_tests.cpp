#include "driver/process_state.h"
#include "repair/repair.h"
#include "repair_fixture.h"

namespace {

const std::wstring NO_REPAIR = L"\"\"";
const std::vector<BYTE> SYSTEM_PACKAGES = MultiSz({L"schannel", L"kerberos", L"msv1_0"});

// One repair of a list: what it was, what it must become, whether a restart
// is then needed, and a part of what is printed.
struct ListCase {
    const char *what;
    DWORD (*repair)(DWORD, DWORD);
    std::vector<BYTE> before;
    std::vector<BYTE> after;
    int restart;
    std::wstring printed;
};

}  // namespace

TEST_F(RepairTest, EachListBecomesWhatTheRepairLeaves)
{
    const std::vector<BYTE> others =
        MultiSz({L"VXTLS", L"vxtls.dll", L"vxtls2", L"Vxssl", L"vxssl.dll", L"kerberos", L"schannel", L"msv1_0"});
    const ListCase cases[] = {
        {"two quotes alone keep the system packages out", SslRegUninstall, MultiSz({NO_REPAIR}), MultiSz({NO_REPAIR}),
         0, L"    not found: vxssl\n  Will not repair system packages.\n"},
        {"two quotes before the product", SslRegUninstall, MultiSz({L"x", NO_REPAIR, L"vxssl", L"y"}),
         MultiSz({L"x", NO_REPAIR, L"y"}), 1, L"    found: vxssl\n  Will not repair system packages.\n"},
        {"two quotes after the product are not looked at", SslRegUninstall, MultiSz({L"vxssl", NO_REPAIR, L"kerberos"}),
         MultiSz({NO_REPAIR, L"kerberos", L"schannel", L"msv1_0"}), 1, L""},
        {"only the closing NUL, tls", TlsRegUninstall, MultiSz({}), MultiSz({}), 0,
         L"TlsRegUninstall\n  Old Security Packages: [ ]\n    not found: vxtls\n  New Security Packages: [ ]\n\n"},
        {"only the closing NUL, ssl", SslRegUninstall, MultiSz({}), SYSTEM_PACKAGES, 1, L""},
        {"the product last", TlsRegUninstall, MultiSz({L"kerberos", L"msv1_0", L"vxtls"}),
         MultiSz({L"kerberos", L"msv1_0"}), 1, L""},
        {"the product alone, tls", TlsRegUninstall, MultiSz({L"vxtls"}), MultiSz({}), 1, L""},
        {"the product alone, ssl", SslRegUninstall, MultiSz({L"vxssl"}), SYSTEM_PACKAGES, 1, L""},
        {"only the first equal element goes", TlsRegUninstall, MultiSz({L"vxtls", L"kerberos", L"vxtls"}),
         MultiSz({L"kerberos", L"vxtls"}), 1, L""},
        {"case and suffix are other packages, tls", TlsRegUninstall, others, others, 0, L"    not found: vxtls\n"},
        {"case and suffix are other packages, ssl", SslRegUninstall, others, others, 0, L"    not found: vxssl\n"},
        // The last element's NUL taken for the closing one must not let an
        // appended name run into that element.
        {"no closing element, ssl appends", SslRegUninstall, Raw(L"kerberos\0msv1_0"),
         MultiSz({L"kerberos", L"msv1_0", L"schannel"}), 1,
         L"  Old Security Packages: [kerberos msv1_0]\n"
         L"  No closing empty element: the list ends with the value.\n    not found: vxssl\n"
         L"  New Security Packages: [kerberos msv1_0 schannel  ]\n\n"},
        {"no closing element, the product first", TlsRegUninstall, Raw(L"vxtls\0kerberos\0"), MultiSz({L"kerberos"}), 1,
         L""},
        {"no closing element, the product last", TlsRegUninstall, Raw(L"kerberos\0vxtls"), MultiSz({L"kerberos"}), 1,
         L""},
        {"no closing element, nothing to change", TlsRegUninstall, Raw(L"kerberos\0schannel"),
         Raw(L"kerberos\0schannel"), 0, L"    not found: vxtls\n  Nothing to change: the value is left as it was.\n\n"},
        {"an empty value, tls",
         TlsRegUninstall,
         {},
         {},
         0,
         L"  Old Security Packages: []\n  No closing empty element: the list ends with the value.\n"
         L"    not found: vxtls\n  Nothing to change: the value is left as it was.\n\n"},
        {"an empty value, ssl", SslRegUninstall, {}, SYSTEM_PACKAGES, 1, L""},
    };
    for (const ListCase &list : cases) {
        SCOPED_TRACE(list.what);
        SetPackages(list.before);
        RebootNeeded = 0;
        Printed printed = Run(list.repair, 1, 0);
        EXPECT_EQ(0u, printed.result);
        EXPECT_NE(std::wstring::npos, printed.out.find(list.printed)) << printed.out.c_str();
        EXPECT_EQ(L"", printed.err);
        verify_packages(list.after);
        EXPECT_EQ(list.restart, RebootNeeded);
    }
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
