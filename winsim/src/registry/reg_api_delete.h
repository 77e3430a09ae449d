// The deletion entry points that the program finds through GetProcAddress.
#pragma once

#include "winsim/windows.h"

namespace winsim {

LONG WINAPI SimRegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, DWORD Reserved);
LONG WINAPI SimZwDeleteKey(HANDLE KeyHandle);

}  // namespace winsim
