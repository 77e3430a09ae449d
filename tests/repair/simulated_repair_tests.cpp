// The repairs where only the simulated machine can show them: the 64-bit
// registry view (Wine runs our 64-bit build natively), a Local Security
// Authority key that is missing, writes that fail on cue, and flushes.
#include <winsim/control.h>

#include "driver/process_state.h"
#include "output_capture.h"
#include "repair/repair.h"
#include "repair_fixture.h"

namespace {

void FailNextWrite(LONG code)
{
    winsim::FailCall("RegSetValueExW", winsim::CallCount("RegSetValueExW") + 1, code);
}

}  // namespace

TEST_F(RepairTest, WithoutTheLsaKeyOnlyTheNameIsPrinted)
{
    Printed printed = Run(SslRegUninstall, 1, 1);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), printed.result);
    EXPECT_EQ(L"SslRegUninstall\n", printed.out);
    EXPECT_EQ(L"", printed.err);
}

TEST_F(RepairTest, AFailedWriteIsReportedAndNeedsNoRestart)
{
    const std::vector<BYTE> packages = MultiSz({L"vxtls", L"kerberos"});
    SetPackages(packages);
    FailNextWrite(ERROR_ACCESS_DENIED);
    Printed lsa = Run(TlsRegUninstall, 1, 0);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), lsa.result);
    EXPECT_EQ(L"TlsRegUninstall\n  Old Security Packages: [vxtls kerberos  ]\n    found: vxtls\n"
              L"  New Security Packages: [kerberos  ]\n",
              lsa.out);
    EXPECT_TRUE(HasReport(lsa.err, L"RegSetValueEx failed", ERROR_ACCESS_DENIED));
    verify_packages(packages);
    EXPECT_EQ(0, RebootNeeded);

    SetProvider(MultiSz({L"vxrevoke.dll"}));
    FailNextWrite(ERROR_ACCESS_DENIED);
    Printed provider = Run(CertDllVerifyRevocationRegUninstall, 1, 0);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), provider.result);
    EXPECT_EQ(std::wstring::npos, provider.out.find(L"\n\n"));
    EXPECT_TRUE(HasReport(provider.err, L"RegSetValueEx failed", ERROR_ACCESS_DENIED));
    verify_provider(REG_MULTI_SZ, MultiSz({L"vxrevoke.dll"}));
}

TEST_F(RepairTest, The64BitPassRepairsThe64BitView)
{
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
    add_value(HKEY_LOCAL_MACHINE, LSA_KEY, L"Security Packages", REG_MULTI_SZ, MultiSz({L"vxtls"}), KEY_WOW64_64KEY);
    add_value(HKEY_LOCAL_MACHINE, REVOCATION_KEY, L"Dll", REG_MULTI_SZ, MultiSz({L"vx.dll"}), KEY_WOW64_64KEY);
    add_value(HKEY_LOCAL_MACHINE, REVOCATION_KEY, L"Dll", REG_MULTI_SZ, MultiSz({L"vx.dll"}), KEY_WOW64_32KEY);
    RegViewFlag = KEY_WOW64_64KEY;
    Run(TlsRegUninstall, 1, 0);
    Run(CertDllVerifyRevocationRegUninstall, 1, 0);
    verify_reg(HKEY_LOCAL_MACHINE, LSA_KEY, L"Security Packages", REG_MULTI_SZ, MultiSz({}), KEY_WOW64_64KEY);
    verify_reg(HKEY_LOCAL_MACHINE, REVOCATION_KEY, L"Dll", REG_MULTI_SZ, MultiSz({L"cryptnet.dll"}), KEY_WOW64_64KEY);
    verify_reg(HKEY_LOCAL_MACHINE, REVOCATION_KEY, L"Dll", REG_MULTI_SZ, MultiSz({L"vx.dll"}), KEY_WOW64_32KEY);
}

TEST_F(RepairTest, FlushRootFlushesAKeyThatOpensAndSaysNothing)
{
    unsigned before = winsim::CallCount("RegFlushKey");
    OutputCapture capture;
    FlushRoot(L"SOFTWARE");
    FlushRoot(L"SOFTWARE\\Absent");
    winsim::FailCall("RegFlushKey", before + 2, ERROR_ACCESS_DENIED);
    FlushRoot(L"SYSTEM");
    capture.Stop();
    EXPECT_EQ(before + 2, winsim::CallCount("RegFlushKey"));
    EXPECT_EQ(L"", capture.Out());
    EXPECT_EQ(L"", capture.Err());
}
