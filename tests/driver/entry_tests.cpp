// The outer command line without dialogs: help requests and plain cleaning.
#include "driver_fixture.h"

namespace {

const wchar_t HELP_LINES[] = L"Run with any parameter to clean out CSP.\n"
                             L"Run with -delkeys to remove private keys.\n";

}  // namespace

typedef DriverTest EntryTest;

TEST_F(EntryTest, HelpPatternsAnywhereInTheFirstArgumentPrintHelpAndFail)
{
    for (const wchar_t *argument : {L"-hello", L"/?", L"x?y", L"help", L"\\h", L"/HELP/h", L"a-h"}) {
        ResetEngines();
        Outcome run = Start({argument});
        EXPECT_EQ(1u, run.status) << argument;
        EXPECT_EQ(HELP_LINES, run.out) << argument;
        EXPECT_EQ(Log{}, CallLog()) << argument;
    }
}

TEST_F(EntryTest, AnyOtherArgumentCleansEverythingWithoutPassingItOn)
{
    for (const wchar_t *argument : {L"-HELP", L"-show", L"show", L"-bogus", L"-H"}) {
        ResetEngines();
        Outcome run = Start({argument, L"-help"});
        EXPECT_EQ(0u, run.status) << argument;
        // The record's line and the summary, with nothing of the argument between.
        EXPECT_EQ(0u, run.out.find(L"Record of this run: ")) << argument;
        EXPECT_EQ(run.out.find(L'\n'), run.out.find(L"\n\n\nSummary of the run\n")) << argument;
        EXPECT_EQ(InEachView({L"registry mode 1 warn 0", L"files mode 1 warn 0"}), CallLog()) << argument;
    }
}

TEST_F(EntryTest, TheCleaningStatusBecomesTheExitStatus)
{
    Engines().filesResult = 32;
    EXPECT_EQ(32u, Start({L"go"}).status);
}
