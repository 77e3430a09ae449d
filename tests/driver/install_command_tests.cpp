// The install command on each kind of Windows: on the host both simulated, on
// Windows the kind the test runs on (the 64-bit build always sees one view).
#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver/wow64.h"
#include "driver_fixture.h"
#include "output_capture.h"
#include "test_machine.h"

typedef DriverTest InstallCommandTest;

class InstallCommandPassesTest : public DriverTest, public testing::WithParamInterface<bool> {};

namespace {

// A command line, and what the command must return, print and call; a null
// text is not checked.
struct CommandCase {
    std::vector<const wchar_t *> arguments;
    DWORD status;
    const wchar_t *out;
    const wchar_t *err;
    Log log;
};

}  // namespace

// Each pass runs once per view of the machine, the settings key goes from
// each view after the passes, and the view is the native one again after.
TEST_P(InstallCommandPassesTest, EachCommandLineRunsItsPassesInOrder)
{
    if (GetParam())
        UseBothViews();
    if ((IsWow64() != FALSE) != GetParam())
        GTEST_SKIP() << "this process does not run on " << (GetParam() ? "64" : "32")
                     << "-bit Windows as a 32-bit process (a 64-bit build sees one view)";
    const Log REPORT = {L"registry mode 0 warn 0", L"files mode 0 warn 0"};
    const Log REMOVE = {L"registry mode 1 warn 0", L"files mode 1 warn 0"};
    const std::wstring KEYS = L"DeleteKey HKLM\\SOFTWARE\\Vexa Lune mode ";
    auto both = [](Log first, const Log &second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    };
    const CommandCase cases[] = {
        // Without options the usage, and a failure.
        {{}, 1, USAGE_TEXT, L"", {}},
        {{L"extra", L"words"}, 1, USAGE_TEXT, L"", {}},
        // Help anywhere: the usage, and nothing done.
        {{L"-clear", L"-delkeys", L"-help", L"-bogus"}, 0, USAGE_TEXT, L"", {}},
        // An option in error stops everything, without the usage.
        {{L"-clear", L"-bogus", L"-show"}, 1, L"", L"vxclean: unrecognized option `-bogus'\n", {}},
        // Show, clear and both, the report first.
        {{L"-show"}, 0, nullptr, nullptr, InEachView(REPORT)},
        {{L"--clear", L"extra"}, 0, nullptr, nullptr, InEachView(REMOVE)},
        {{L"-clear", L"-show"}, 0, nullptr, nullptr, InEachView(both(REPORT, REMOVE))},
        {{L"-c", L"-warn", L"-s", L"-clear"},
         0,
         nullptr,
         nullptr,
         InEachView(
             {L"registry mode 0 warn 1", L"files mode 0 warn 1", L"registry mode 1 warn 1", L"files mode 1 warn 1"})},
        // The settings key goes after the passes; with -show alone it is reported.
        {{L"-delkeys", L"-show"}, 0, nullptr, nullptr, both(InEachView(REPORT), InEachView({KEYS + L"0 warn 0"}))},
        {{L"-show", L"-clear", L"-delkeys"},
         0,
         nullptr,
         nullptr,
         both(InEachView(both(REPORT, REMOVE)), InEachView({KEYS + L"1 warn 0"}))},
        {{L"-delkeys", L"-warn"}, 0, nullptr, nullptr, InEachView({KEYS + L"1 warn 1"})},
        // Options without a command do nothing, and succeed.
        {{L"-warn"}, 0, nullptr, nullptr, {}},
        {{L"-from_window"}, 0, nullptr, nullptr, {}},
    };
    for (const CommandCase &command : cases) {
        ResetEngines();
        Outcome run = Install(command.arguments);
        SCOPED_TRACE(testing::Message() << command.arguments.size() << " arguments, the first "
                                        << (command.arguments.empty() ? L"" : command.arguments[0]));
        EXPECT_EQ(command.status, run.status);
        if (command.out) {
            EXPECT_EQ(command.out, run.out);
        }
        if (command.err) {
            EXPECT_EQ(command.err, run.err);
        }
        EXPECT_EQ(command.log, CallLog());
        EXPECT_EQ(0u, RegViewFlag);
        EXPECT_FALSE(FsRedirectionOff());
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, InstallCommandPassesTest, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool> &info) { return info.param ? "x64" : "x86"; });

TEST_F(InstallCommandTest, TheExitStatusIsTheOrOfEveryStep)
{
    Engines().registryResult = 0x10;
    Engines().filesResult = 0x2;
    Engines().deleteKeyResult = 0x100;
    EXPECT_EQ(0x112u, Install({L"-show", L"-clear", L"-delkeys"}).status);
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
