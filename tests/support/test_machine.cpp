#include "test_machine.h"

#include <clocale>

#ifndef _WIN32
#include <winsim/control.h>
#endif

void StartFreshMachine()
{
#ifndef _WIN32
    winsim::ResetMachine();
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
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
