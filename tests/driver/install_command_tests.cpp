// The install command in the native registry view: on the host a simulated
// 32-bit Windows, under Wine the 64-bit process that is never under WOW64.
#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver_fixture.h"
#include "output_capture.h"

typedef DriverTest InstallCommandTest;

TEST_F(InstallCommandTest, WithoutOptionsPrintsTheUsageAndFails)
{
    Outcome run = Install({});
    EXPECT_EQ(1u, run.status);
    EXPECT_EQ(USAGE_TEXT, run.out);
    EXPECT_EQ(Log{}, CallLog());

    Outcome words = Install({L"extra", L"words"});
    EXPECT_EQ(1u, words.status);
    EXPECT_EQ(USAGE_TEXT, words.out);
}

TEST_F(InstallCommandTest, HelpAnywherePrintsTheUsageAndDoesNothing)
{
    Outcome run = Install({L"-clear", L"-delkeys", L"-help", L"-bogus"});
    EXPECT_EQ(0u, run.status);
    EXPECT_EQ(USAGE_TEXT, run.out);
    EXPECT_EQ(L"", run.err);
    EXPECT_EQ(Log{}, CallLog());
}

TEST_F(InstallCommandTest, AnOptionInErrorStopsEverythingWithoutUsage)
{
    Outcome run = Install({L"-clear", L"-bogus", L"-show"});
    EXPECT_EQ(1u, run.status);
    EXPECT_EQ(L"", run.out);
    EXPECT_EQ(L"vxclean: unrecognized option `-bogus'\n", run.err);
    EXPECT_EQ(Log{}, CallLog());
}

TEST_F(InstallCommandTest, ShowClearAndBothRunTheirPassesReportFirst)
{
    Install({L"-show"});
    EXPECT_EQ((Log{L"registry mode 0 warn 0 view 0", L"files mode 0 warn 0 view 0"}), CallLog());

    ResetEngines();
    Install({L"--clear", L"extra"});
    EXPECT_EQ((Log{L"registry mode 1 warn 0 view 0", L"files mode 1 warn 0 view 0"}), CallLog());

    ResetEngines();
    Install({L"-c", L"-warn", L"-s", L"-clear"});
    EXPECT_EQ((Log{L"registry mode 0 warn 1 view 0", L"files mode 0 warn 1 view 0", L"registry mode 1 warn 1 view 0",
                   L"files mode 1 warn 1 view 0"}),
              CallLog());
    EXPECT_EQ(0u, RegViewFlag);
}

TEST_F(InstallCommandTest, DelkeysDeletesTheSettingsKeyInRemoveModeAfterThePasses)
{
    Install({L"-delkeys", L"-show"});
    EXPECT_EQ((Log{L"registry mode 0 warn 0 view 0", L"files mode 0 warn 0 view 0",
                   L"DeleteKey HKLM\\SOFTWARE\\Vexa Lune mode 1 warn 0 view 0"}),
              CallLog());

    ResetEngines();
    Install({L"-delkeys", L"-warn"});
    EXPECT_EQ((Log{L"DeleteKey HKLM\\SOFTWARE\\Vexa Lune mode 1 warn 1 view 0"}), CallLog());
}

TEST_F(InstallCommandTest, OptionsWithoutACommandDoNothingAndSucceed)
{
    EXPECT_EQ(0u, Install({L"-warn"}).status);
    EXPECT_EQ(0u, Install({L"-from_window"}).status);
    EXPECT_EQ(Log{}, CallLog());
}

TEST_F(InstallCommandTest, TheExitStatusIsTheOrOfEveryStep)
{
    Engines().registryResult = 0x10;
    Engines().filesResult = 0x2;
    Engines().deleteKeyResult = 0x100;
    EXPECT_EQ(0x112u, Install({L"-show", L"-clear", L"-delkeys"}).status);

    ResetEngines();
    Engines().filesResult = 5;
    EXPECT_EQ(5u, Install({L"-clear"}).status);

    ResetEngines();
    EXPECT_EQ(0u, Install({L"-clear", L"-delkeys"}).status);
}

TEST_F(InstallCommandTest, OptionHelpPutsFurtherDescriptionLinesUnderTheFirst)
{
    OutputCapture capture;
    PrintOptionHelp("a_rather_long_name", "first line\n\nsecond line\n");
    PrintOptionHelp("x", "");
    PrintOptionHelp("y", "only");
    EXPECT_EQ(L"  -a_rather_long_name first line\n"
              L"                    second line\n"
              L"  -x                  -y                only\n",
              capture.Out());
}
