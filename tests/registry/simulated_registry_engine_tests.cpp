// The engine where only the simulated machine can show it: the two registry
// views of 64-bit Windows (Wine runs our 64-bit build natively), a token
// without the take-ownership privilege (Wine gives owners WRITE_OWNER), and
// deletions that fail on cue.
#include <winsim/control.h>

#include "driver/process_state.h"
#include "output_capture.h"
#include "registry/registry.h"
#include "registry_fixture.h"

namespace {

class SimulatedRegistryTest : public RegistryTest {
  protected:
    void UseWindows64()
    {
        winsim::SetMachineKind(winsim::MachineKind::Windows64);
        EnableTakeOwnership();
    }
    // The same tree in both views, told apart by the value "view".
    void AddTwins(const std::wstring &path)
    {
        add_sz(HKEY_LOCAL_MACHINE, path + L"\\A\\B", L"view", L"64", KEY_WOW64_64KEY);
        add_sz(HKEY_LOCAL_MACHINE, path + L"\\A\\B", L"view", L"32", KEY_WOW64_32KEY);
    }
};

}  // namespace

TEST_F(SimulatedRegistryTest, The64BitPassWorksOnlyThe64BitView)
{
    UseWindows64();
    AddTwins(L"SOFTWARE\\Vexa Lune");
    std::vector<BYTE> twin = KeySecurity(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Vexa Lune\\A");
    RegViewFlag = KEY_WOW64_64KEY;
    Printed printed = Delete(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune", 1, 0);
    EXPECT_EQ(0u, printed.result);
    EXPECT_NE(std::wstring::npos, printed.out.find(L"ValName: view"));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune", KEY_WOW64_64KEY);
    verify_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune\\A\\B", L"view", L"32", KEY_WOW64_32KEY);
    EXPECT_EQ(twin, KeySecurity(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Vexa Lune\\A"));

    RegViewFlag = 0;
    EXPECT_EQ(0u, Delete(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune", 1, 0).result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune", KEY_WOW64_32KEY);
}

TEST_F(SimulatedRegistryTest, WithoutTheTakeOwnershipPrivilegeAShutKeyIsReportedAndLeft)
{
    winsim::SetPrivilegeHeld(SE_TAKE_OWNERSHIP_NAME, false);
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Vendor\\Shut");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Vendor\\Open");
    deny_everyone(HKEY_LOCAL_MACHINE, T + L"\\Vendor\\Shut");
    Printed printed = Delete(HKEY_LOCAL_MACHINE, T + L"\\Vendor", 1, 0);
    EXPECT_NE(0u, printed.result);
    EXPECT_TRUE(HasReport(printed.err, L"RegOpenKeyEx()", ERROR_ACCESS_DENIED));
    EXPECT_NE(std::wstring::npos, printed.err.find(L":Can not ChangeRight: Shut\n"));
    EXPECT_NE(std::wstring::npos, printed.err.find(L":Can not RegDeleteKey: " + T + L"\\Vendor\n"));
    EXPECT_NE(std::wstring::npos, printed.err.find(L":Can not RecurseWipeRegTree: " + T + L"\\Vendor\n"));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Vendor\\Open");
    verify_open_denied(HKEY_LOCAL_MACHINE, T + L"\\Vendor\\Shut");
}

TEST_F(SimulatedRegistryTest, AChildThatCannotBeDeletedKeepsItsParentButNotItsSiblings)
{
    add_key(HKEY_LOCAL_MACHINE, S + L"\\Parent\\A");
    add_key(HKEY_LOCAL_MACHINE, S + L"\\Parent\\B");
    add_key(HKEY_LOCAL_MACHINE, S + L"\\Parent\\C");
    winsim::FailCall("RegDeleteKeyExW", 2, ERROR_ACCESS_DENIED);
    Printed printed = Delete(HKEY_LOCAL_MACHINE, S + L"\\Parent", 1, 0);
    EXPECT_NE(0u, printed.result);
    EXPECT_TRUE(HasReport(printed.err, L"Can not RegDeleteKey: B", ERROR_ACCESS_DENIED));
    EXPECT_TRUE(HasReport(printed.err, L"Can not RegDeleteKey: " + S + L"\\Parent", ERROR_ACCESS_DENIED));
    verify_key(HKEY_LOCAL_MACHINE, S + L"\\Parent\\B");
    verify_key_nonexist(HKEY_LOCAL_MACHINE, S + L"\\Parent\\A");
    verify_key_nonexist(HKEY_LOCAL_MACHINE, S + L"\\Parent\\C");
    EXPECT_EQ(1, RebootNeeded) << "a removal under SYSTEM was tried";
}

TEST_F(SimulatedRegistryTest, AChildThatWentDespiteAFailedTakeoverLetsItsSiblingsGoToo)
{
    for (const wchar_t *name : {L"A", L"B", L"C"})
        add_key(HKEY_LOCAL_MACHINE, T + L"\\Parent\\" + name);
    // Calls 1 and 2 take the parent over; 3 is the owner of A.
    winsim::FailCall("RegSetKeySecurity", winsim::CallCount("RegSetKeySecurity") + 3, ERROR_ACCESS_DENIED);
    Printed printed = Delete(HKEY_LOCAL_MACHINE, T + L"\\Parent", 1, 0);
    EXPECT_TRUE(HasReport(printed.err, L"Can not ChangeRight: A", ERROR_ACCESS_DENIED)) << printed.err;
    EXPECT_NE(0u, printed.result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Parent");
}

// The link step opens the path under HKEY_LOCAL_MACHINE without the view:
// in the 64-bit pass that is the 32-bit view's key, which is not a link.
TEST_F(SimulatedRegistryTest, TheLinkStepNeverTakesTheOtherViewsKey)
{
    UseWindows64();
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Only32\\EFS", L"key", L"32", KEY_WOW64_32KEY);
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Only64\\EFS", L"key", L"64", KEY_WOW64_64KEY);
    const std::wstring only32 = KeyTree(HKEY_LOCAL_MACHINE, T + L"\\Only32", KEY_WOW64_32KEY);
    const std::wstring only64 = KeyTree(HKEY_LOCAL_MACHINE, T + L"\\Only64", KEY_WOW64_64KEY);
    // Each pass meets the paths that only the other view holds.
    const struct {
        DWORD view;
        const wchar_t *paths[2];
    } passes[] = {{KEY_WOW64_64KEY, {L"\\Only32\\EFS", L"\\Only32"}}, {0, {L"\\Only64\\EFS", L"\\Only64"}}};
    for (const auto &pass : passes)
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT})
            for (DWORD mode : {0u, 1u})
                for (const wchar_t *path : pass.paths) {
                    RegViewFlag = pass.view;
                    Printed printed = Delete(root, T + path, mode, 0);
                    EXPECT_EQ(0u, printed.result) << printed.err;
                    EXPECT_EQ(L"\n", printed.out);
                }
    EXPECT_EQ(only32, KeyTree(HKEY_LOCAL_MACHINE, T + L"\\Only32", KEY_WOW64_32KEY));
    EXPECT_EQ(only64, KeyTree(HKEY_LOCAL_MACHINE, T + L"\\Only64", KEY_WOW64_64KEY));
}

TEST_F(SimulatedRegistryTest, WithoutRegDeleteKeyExTheOldCallDeletes)
{
    winsim::RemoveExport("advapi32", "RegDeleteKeyExW");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Old\\Child");
    EXPECT_EQ(0u, Delete(HKEY_LOCAL_MACHINE, T + L"\\Old", 1, 0).result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, T + L"\\Old");
    EXPECT_EQ(0u, winsim::CallCount("RegDeleteKeyExW"));
}

TEST_F(SimulatedRegistryTest, AKeyThatFailsToOpenForAnotherReasonIsReportedNotTakenForAbsent)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Busy");
    winsim::FailCall("RegOpenKeyExW", winsim::CallCount("RegOpenKeyExW") + 1, 1450);
    Printed printed = Delete(HKEY_LOCAL_MACHINE, T + L"\\Busy", 1, 0);
    EXPECT_EQ(1450u, printed.result);
    EXPECT_TRUE(HasReport(printed.err, L"Can not open key: " + T + L"\\Busy", 1450));
    verify_key(HKEY_LOCAL_MACHINE, T + L"\\Busy");

    // Below the start of a search: reported, with no line of indentation.
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Busy\\Inner");
    winsim::FailCall("RegOpenKeyExW", winsim::CallCount("RegOpenKeyExW") + 2, 1450);
    OutputCapture capture;
    EXPECT_EQ(1450u, WipeMatchingKeys((T + L"\\Busy").c_str(), L"VexaLune", nullptr, 1, 0));
    capture.Stop();
    EXPECT_TRUE(HasReport(capture.Err(), L"Can not open key: Inner", 1450));
    EXPECT_EQ(std::wstring::npos, capture.Out().find(L"\n  \n")) << capture.Out();
}

TEST_F(SimulatedRegistryTest, ASubkeyThatFailsItsProbeIsNotSearchedTwice)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Tree\\VexaLune A");
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Tree\\VexaLune B");
    // Opens: the tree, its first subkey, then the probe of that subkey.
    winsim::FailCall("RegOpenKeyExW", winsim::CallCount("RegOpenKeyExW") + 3, 1450);
    OutputCapture capture;
    DWORD result = WipeMatchingKeys((T + L"\\Tree").c_str(), L"VexaLune", nullptr, 0, 0);
    capture.Stop();
    EXPECT_EQ(0u, result);
    const std::wstring &out = capture.Out();
    EXPECT_EQ(out.find(L"  VexaLune A\n"), out.rfind(L"  VexaLune A\n"));
    EXPECT_NE(std::wstring::npos, out.find(L"  VexaLune B\n"));
}
