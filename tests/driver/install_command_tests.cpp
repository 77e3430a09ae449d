// The install command in the native registry view: on the host a simulated
// 32-bit Windows, under Wine the 64-bit process that is never under WOW64.
#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver_fixture.h"
#include "output_capture.h"

typedef DriverTest InstallCommandTest;

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

TEST_F(InstallCommandTest, EachCommandLineRunsItsPassesInOrder)
{
    const Log BOTH_IN_REPORT_MODE = {L"registry mode 0 warn 0 view 0", L"files mode 0 warn 0 view 0"};
    const std::wstring KEYS = L"DeleteKey HKLM\\SOFTWARE\\Vexa Lune mode 1 warn ";
    const std::wstring KEYS_REPORTED = L"DeleteKey HKLM\\SOFTWARE\\Vexa Lune mode 0 warn ";
    const CommandCase cases[] = {
        // Without options the usage, and a failure.
        {{}, 1, USAGE_TEXT, L"", {}},
        {{L"extra", L"words"}, 1, USAGE_TEXT, L"", {}},
        // Help anywhere: the usage, and nothing done.
        {{L"-clear", L"-delkeys", L"-help", L"-bogus"}, 0, USAGE_TEXT, L"", {}},
        // An option in error stops everything, without the usage.
        {{L"-clear", L"-bogus", L"-show"}, 1, L"", L"vxclean: unrecognized option `-bogus'\n", {}},
        // Show, clear and both, the report first.
        {{L"-show"}, 0, nullptr, nullptr, BOTH_IN_REPORT_MODE},
        {{L"--clear", L"extra"},
         0,
         nullptr,
         nullptr,
         {L"registry mode 1 warn 0 view 0", L"files mode 1 warn 0 view 0"}},
        {{L"-c", L"-warn", L"-s", L"-clear"},
         0,
         nullptr,
         nullptr,
         {L"registry mode 0 warn 1 view 0", L"files mode 0 warn 1 view 0", L"registry mode 1 warn 1 view 0",
          L"files mode 1 warn 1 view 0"}},
        // The settings key goes after the passes; with -show alone it is reported.
        {{L"-delkeys", L"-show"},
         0,
         nullptr,
         nullptr,
         {BOTH_IN_REPORT_MODE[0], BOTH_IN_REPORT_MODE[1], KEYS_REPORTED + L"0 view 0"}},
        {{L"-delkeys", L"-warn"}, 0, nullptr, nullptr, {KEYS + L"1 view 0"}},
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
    }
}

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
