// The install command: its options, the passes over the registry views and
// the file system, the settings key and the restart.
#pragma once

#include "win32api.h"

// argv holds argc entries; no terminating null entry is needed.
DWORD InstallCommand(int argc, const wchar_t **argv);
// One pass in the current registry view: the registry plan, then the file plan.
DWORD RunPass(DWORD dwMode, DWORD fWarn);
void PrintUsage();
void PrintOptionHelp(const char *name, const char *description);
