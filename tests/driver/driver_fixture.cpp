#include "driver_fixture.h"

#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver/wgetopt.h"
#include "driver/wow64.h"
#include "output_capture.h"
#include "test_machine.h"

extern "C" int wmain(int argc, wchar_t **argv);

const wchar_t USAGE_TEXT[] = L"vxclean -install [<command>] [<options>]\n"
                             L"VXTEST CSP install info and clearing out\n"
                             L"<commands>:\n"
                             L"  -show             Installation information\n"
                             L"  -clear            Clear out VexaLune CSP\n"
                             L"  -delkeys          Clear out User keys\n"
                             L"  -help             Shows this screen\n"
                             L"<options>:\n"
                             L"  -warn             Return error if something redundant left\n"
                             L"  -reboot           Restart computer\n";

void DriverTest::SetUp()
{
    StartFreshMachine();
    ResetEngines();
}

void DriverTest::TearDown()
{
    SelectTestLocale();
}

Outcome DriverTest::Install(const std::vector<const wchar_t *> &arguments)
{
    std::vector<const wchar_t *> argv = {L"vxclean"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ProgramName = L"vxclean";
    woptind = 0;
    OutputCapture capture;
    DWORD status = InstallCommand(static_cast<int>(argv.size()), argv.data());
    return Outcome{status, capture.Out(), capture.Err()};
}

Outcome DriverTest::Start(const std::vector<const wchar_t *> &arguments)
{
    std::vector<std::wstring> storage = {L"vxclean.exe"};
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<wchar_t *> argv;
    for (std::wstring &argument : storage)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    woptind = 0;
    OutputCapture capture;
    DWORD status = static_cast<DWORD>(wmain(static_cast<int>(storage.size()), argv.data()));
    return Outcome{status, capture.Out(), capture.Err()};
}

Log InEachView(const Log &lines)
{
    std::vector<DWORD> views = {0};
    if (IsWow64())
        views.insert(views.begin(), KEY_WOW64_64KEY);
    Log log;
    for (DWORD view : views)
        for (const std::wstring &line : lines)
            log.push_back(line + L" view " + std::to_wstring(view) +
                          (view == KEY_WOW64_64KEY && line.compare(0, 6, L"files ") == 0 ? L" unredirected" : L""));
    return log;
}
