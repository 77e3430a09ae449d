// WOW64 detection and file-system redirection, through entry points that
// older Windows lacks and that are therefore looked up at run time.
#pragma once

#include "win32api.h"

// Nonzero when our 32-bit process runs on 64-bit Windows.
BOOL IsWow64();
// Both do nothing when the entry point is missing.
void DisableFsRedirection(PVOID *oldValue);
void RevertFsRedirection(PVOID oldValue);
