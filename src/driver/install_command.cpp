#include "driver/install_command.h"

#include "driver/privileges.h"
#include "driver/process_state.h"
#include "driver/wgetopt.h"
#include "driver/wow64.h"
#include "record/record.h"
#include "registry/registry.h"
#include "report/report.h"
#include "report/tally.h"

namespace {

enum OptionValue {
    OPTION_SHOW,
    OPTION_CLEAR,
    OPTION_DELKEYS,
    OPTION_WARN,
    OPTION_REBOOT,
    OPTION_FROM_WINDOW,
    OPTION_HELP
};

const DWORD COMMAND_SHOW = 1;
const DWORD COMMAND_CLEAR = 2;
const DWORD COMMAND_DELKEYS = 4;

const wchar_t SETTINGS_KEY[] = L"SOFTWARE\\Vexa Lune";

// "-delkeys" removes on its own, but with "-show" alone it reports.
bool IsRemoveRun(DWORD dwCommands)
{
    return (dwCommands & COMMAND_CLEAR) || (dwCommands & (COMMAND_DELKEYS | COMMAND_SHOW)) == COMMAND_DELKEYS;
}

DWORD RunPasses(DWORD dwCommands, DWORD fWarn)
{
    DWORD result = 0;
    if (dwCommands & COMMAND_SHOW)
        result |= RunPass(MODE_REPORT, fWarn);
    if (dwCommands & COMMAND_CLEAR)
        result |= RunPass(MODE_REMOVE, fWarn);
    return result;
}

// The vendor's settings key holds the users' private keys: the record keeps
// none of their data.
// A report run with it reports what it would delete.
DWORD DeleteSettingsKey(DWORD dwMode, DWORD fWarn)
{
    DWORD result = 0;
    KeepPrivateKeysOut(TRUE);
    if (IsWow64()) {
        RegViewFlag = KEY_WOW64_64KEY;
        result |= DeleteKey(HKEY_LOCAL_MACHINE, SETTINGS_KEY, dwMode, fWarn);
        RegViewFlag = 0;
    }
    result |= DeleteKey(HKEY_LOCAL_MACHINE, SETTINGS_KEY, dwMode, fWarn);
    KeepPrivateKeysOut(FALSE);
    return result;
}

// The privilege, the passes over both views and the settings key; whether a
// restart is to be asked once the run's record is finished.
DWORD RunCommands(DWORD dwCommands, DWORD fWarn, DWORD fReboot, DWORD fFromWindow, RestartPlan *lpRestart)
{
    *lpRestart = RESTART_NONE;
    DWORD failures = TallyOf(TALLY_FAILURES);
    if (GetPriveleges() != 0)
        return ReportStepFailure(failures, SOURCE_INSTALL, __LINE__, "GetPriveleges() fail");

    DWORD result = 0;
    if (IsWow64()) {
        RegViewFlag = KEY_WOW64_64KEY;
        result |= RunPasses(dwCommands, fWarn);
        RegViewFlag = 0;
    }
    result |= RunPasses(dwCommands, fWarn);

    if (dwCommands & COMMAND_DELKEYS)
        result |= DeleteSettingsKey(IsRemoveRun(dwCommands) ? MODE_REMOVE : MODE_REPORT, fWarn);
    if (IsRemoveRun(dwCommands) && WriteRegistry)
        result |= WriteRegistry();

    if (fReboot || (RebootNeeded && fFromWindow)) {
        // Without the shutdown privilege the restart cannot even be asked.
        if (CanRestart()) {
            *lpRestart = RESTART_AFTER_SUMMARY;
        } else {
            *lpRestart = RESTART_IMPOSSIBLE;
            result |= 1;
        }
    }
    return result;
}

}  // namespace

DWORD InstallCommand(int argc, const wchar_t **argv)
{
    DWORD dwCommands = 0;
    DWORD fWarn = 0;
    DWORD fReboot = 0;
    DWORD fFromWindow = 0;

    int value = wgetopt_long_only(argc, argv);
    if (value == -1) {
        PrintUsage();
        return 1;
    }
    for (; value != -1; value = wgetopt_long_only(argc, argv)) {
        switch (value) {
        case OPTION_SHOW:
            dwCommands |= COMMAND_SHOW;
            break;
        case OPTION_CLEAR:
            dwCommands |= COMMAND_CLEAR;
            break;
        case OPTION_DELKEYS:
            dwCommands |= COMMAND_DELKEYS;
            break;
        case OPTION_WARN:
            fWarn = 1;
            break;
        case OPTION_REBOOT:
            fReboot = 1;
            break;
        case OPTION_FROM_WINDOW:
            fFromWindow = 1;
            break;
        case OPTION_HELP:
            PrintUsage();
            return 0;
        default:
            return 1;
        }
    }

    StartRecord(IsRemoveRun(dwCommands));
    RestartPlan restart;
    DWORD result = RunCommands(dwCommands, fWarn, fReboot, fFromWindow, &restart);
    // The record is whole before the restart is asked: once Windows shuts
    // down, the process may not get to write anything more.
    FinishRecord(ExitStatusOf ? ExitStatusOf(result) : result, restart);
    if (restart == RESTART_AFTER_SUMMARY && RestartComputer() == 0)
        result |= 1;
    return result;
}
