// The cleanup plans: the fixed, ordered targets of one pass.
#pragma once

#include "win32api.h"

DWORD CleanRegistry(DWORD dwMode, DWORD fWarn);
DWORD CleanFiles(DWORD dwMode, DWORD fWarn);
