// The driver with entry points missing and with a scripted token: what only
// the simulated machine can take away (Wine always has the WOW64 entry points,
// and its token always holds every privilege).
#include <winsim/control.h>

#include "driver/privileges.h"
#include "driver/process_state.h"
#include "driver/wow64.h"
#include "driver_fixture.h"

namespace {

const wchar_t RESTART_TEXT[] =
    L"Для завершения удаления продуктов компании Векса-Люн необходима перезагрузка! Выполнить её сейчас?";

class SimulatedDriverTest : public DriverTest {
  protected:
    void UseWindows64()
    {
        winsim::SetMachineKind(winsim::MachineKind::Windows64);
    }
};

}  // namespace

TEST_F(SimulatedDriverTest, WithoutIsWow64ProcessTheMachineCountsAs32Bit)
{
    // The entry point is looked up once per process: a fresh one is needed.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            UseWindows64();
            winsim::RemoveExport("kernel32", "IsWow64Process");
            exit(IsWow64() ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            UseWindows64();
            winsim::SetModuleHandleFails(true);
            BOOL before = IsWow64();
            winsim::SetModuleHandleFails(false);
            // kernel32 was not found: the next call looks it up again.
            exit(!before && IsWow64() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(SimulatedDriverTest, WithoutRedirectionEntryPointsFilesRunRedirected)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            winsim::RemoveExport("kernel32", "Wow64DisableWow64FsRedirection");
            winsim::RemoveExport("kernel32", "Wow64RevertWow64FsRedirection");
            UseWindows64();
            Install({L"-clear"});
            exit(CallLog()[1] == L"files mode 1 warn 0 view 256" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(SimulatedDriverTest, TheTakeOwnershipPrivilegeIsEnabledBeforeThePassesOnlyAndNotNeeded)
{
    Install({L"-help"});
    EXPECT_FALSE(winsim::PrivilegeEnabled(SE_TAKE_OWNERSHIP_NAME));
    Install({L"-warn"});
    EXPECT_TRUE(winsim::PrivilegeEnabled(SE_TAKE_OWNERSHIP_NAME));

    ResetEngines();
    winsim::SetPrivilegeHeld(SE_TAKE_OWNERSHIP_NAME, false);
    Outcome run = Install({L"-clear"});
    EXPECT_EQ(0u, run.status);
    EXPECT_EQ(L"", run.err);
    EXPECT_EQ(2u, CallLog().size());
}

TEST_F(SimulatedDriverTest, ATokenThatCannotBeOpenedStopsTheRunWithTwoReports)
{
    winsim::SetTokenOpenError(ERROR_ACCESS_DENIED);
    Outcome run = Install({L"-clear", L"-delkeys", L"-reboot"});
    EXPECT_EQ(5u, run.status);
    EXPECT_EQ(Log{}, CallLog());
    EXPECT_TRUE(winsim::RestartRequests().empty());
    EXPECT_NE(std::wstring::npos, run.err.find(L"OpenProcessToken()\nError number 0x5 (5).\nAccess is denied."));
    EXPECT_NE(std::wstring::npos, run.err.find(L"GetPriveleges() fail\nError number 0x5 (5).\nAccess is denied."));
    EXPECT_LT(run.err.find(L"OpenProcessToken()"), run.err.find(L"GetPriveleges() fail"));
}

TEST_F(SimulatedDriverTest, RebootAloneAsksAndRestartsOnYesOnly)
{
    winsim::QueueDialogAnswers({IDYES});
    Outcome run = Install({L"-reboot"});
    EXPECT_EQ(0u, run.status);
    EXPECT_EQ(Log{}, CallLog());
    ASSERT_EQ(1u, winsim::DialogsShown().size());
    EXPECT_EQ(RESTART_TEXT, winsim::DialogsShown()[0].text);
    EXPECT_EQ(L"Предупреждение", winsim::DialogsShown()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), winsim::DialogsShown()[0].style);
    ASSERT_EQ(1u, winsim::RestartRequests().size());
    EXPECT_EQ(static_cast<UINT>(EWX_REBOOT), winsim::RestartRequests()[0].flags);
    EXPECT_EQ(0x80040001u, winsim::RestartRequests()[0].reason);

    ResetEngines();
    winsim::QueueDialogAnswers({IDNO});
    EXPECT_EQ(0u, Install({L"-reboot"}).status);
    EXPECT_EQ(1u, winsim::RestartRequests().size()) << "a declined restart is not requested";
}

TEST_F(SimulatedDriverTest, AFailedRestartAddsOneToTheStatus)
{
    winsim::SetPrivilegeHeld(SE_SHUTDOWN_NAME, false);
    Engines().filesResult = 4;
    EXPECT_EQ(5u, Install({L"-clear", L"-reboot"}).status);
    EXPECT_TRUE(winsim::DialogsShown().empty());

    ResetEngines();
    winsim::SetPrivilegeHeld(SE_SHUTDOWN_NAME, true);
    winsim::SetRestartError(ERROR_ACCESS_DENIED);
    winsim::QueueDialogAnswers({IDYES});
    EXPECT_EQ(1u, Install({L"-reboot"}).status);
    EXPECT_EQ(1u, winsim::RestartRequests().size());
}

TEST_F(SimulatedDriverTest, ANeededRestartIsOfferedOnlyToRunsFromTheDialogs)
{
    Engines().registryNeedsRestart = true;
    Install({L"-clear"});
    EXPECT_TRUE(winsim::DialogsShown().empty());

    ResetEngines();
    Engines().registryNeedsRestart = true;
    winsim::QueueDialogAnswers({IDNO});
    EXPECT_EQ(0u, Install({L"-clear", L"-from_window"}).status);
    EXPECT_EQ(1u, winsim::DialogsShown().size());

    ResetEngines();
    winsim::QueueDialogAnswers({IDYES});
    Install({L"-clear", L"-from_window"});
    EXPECT_EQ(1u, winsim::DialogsShown().size()) << "nothing needed a restart";
}
