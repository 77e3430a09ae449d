// The process token's privileges: taking ownership before the passes, and
// shutting down for the restart.
#pragma once

#include "win32api.h"

// 0 when the take-ownership privilege step went through (also when the token
// does not hold it), else the result of the failure's report.
DWORD GetPriveleges();
// Whether the shutdown privilege is held and now enabled: a restart can be asked.
BOOL CanRestart();
// Nonzero when the restart was requested or the user declined it; 0 when the
// token, the shutdown privilege or ExitWindowsEx failed.
DWORD RestartComputer();
