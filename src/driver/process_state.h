// Process-wide state that the driver shares with the engines, and the two
// modes of a pass.
#pragma once

#include "win32api.h"

// What a pass does with what it finds.
const DWORD MODE_REPORT = 0;
const DWORD MODE_REMOVE = 1;

// 0, or KEY_WOW64_64KEY while a pass over the 64-bit registry view runs:
// OR-ed into every registry open and passed to every key deletion.
extern DWORD RegViewFlag;
// Set to 1 by any change that takes effect only after a restart.
extern int RebootNeeded;
// Null on a running machine. Where no user is logged on (a Windows that is
// not running), the start-up sets it so that the users' steps of each pass
// reach every profile: each call makes the next profile HKEY_CURRENT_USER
// and returns TRUE, and FALSE once every profile has had its turn, with the
// first one current again.
extern BOOL (*NextUserProfile)();
// Null on a running machine, whose registry is written as it changes. Where
// the registry is a set of hive files held in memory (a Windows that is not
// running), the start-up sets it to write the hives that changed: a removal
// calls it before the file steps of each pass, so that no file goes while
// the registry still names it, and once more before its summary. Nonzero when
// a hive could not be written (reported and counted as a failure); the pass
// then leaves its files alone.
extern DWORD (*WriteRegistry)();
// Null where the exit status is the run's result. A start-up whose program
// exits with statuses of its own (vxclean-offline's, for scripts) sets it,
// so that the summary gives the status the process exits with.
extern DWORD (*ExitStatusOf)(DWORD dwResult);
// Argument 0 of the inner command line, for the usage text.
extern const wchar_t *ProgramName;
