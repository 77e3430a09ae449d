#include "test_machine.h"

#include <clocale>

#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <string>

#include <winsim/control.h>

namespace {

// The host folder of the current simulated machine, removed with the next one.
std::string machineFolder;

void RemoveMachineFolder()
{
    std::error_code error;
    if (!machineFolder.empty())
        std::filesystem::remove_all(machineFolder, error);
    machineFolder.clear();
}

}  // namespace
#endif

void StartFreshMachine()
{
#ifndef _WIN32
    static bool removeAtExit = (std::atexit(RemoveMachineFolder), true);
    (void)removeAtExit;
    RemoveMachineFolder();
    std::string pattern = (std::filesystem::temp_directory_path() / "vxsim-XXXXXX").string();
    if (mkdtemp(&pattern[0]))
        machineFolder = pattern;
    winsim::ResetMachine();
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
    winsim::SetMachineFolder(machineFolder);
#endif
}

void UseBothViews()
{
#ifndef _WIN32
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
#endif
}

bool FsRedirectionOff()
{
#ifdef _WIN32
    return false;
#else
    return winsim::FsRedirectionDisabled();
#endif
}

void SelectTestLocale()
{
#ifdef _WIN32
    // What the program itself selects on a Russian console.
    setlocale(LC_ALL, ".1251");
#else
    setlocale(LC_ALL, "C.UTF-8");
#endif
}
