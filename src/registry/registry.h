// The registry engine.
#pragma once

#include "win32api.h"

// Reports, lists and (in mode 1) deletes the key tree at lpSubKey under hRoot
// in the view that RegViewFlag selects.
DWORD DeleteKey(HKEY hRoot, LPCWSTR lpSubKey, DWORD dwMode, DWORD fWarn);
