// NtQueryKey of ntdll, which the program finds through GetProcAddress.
#pragma once

#include "winsim/windows.h"

namespace winsim {

LONG NTAPI SimNtQueryKey(HANDLE KeyHandle, int KeyInformationClass, PVOID KeyInformation, ULONG Length,
                         PULONG ResultLength);

}  // namespace winsim
