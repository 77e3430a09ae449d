#include "driver/wow64.h"

#include <cstdint>

namespace {

typedef BOOL(WINAPI *IsWow64ProcessFunction)(HANDLE, PBOOL);
typedef BOOL(WINAPI *Wow64DisableFunction)(PVOID *);
typedef BOOL(WINAPI *Wow64RevertFunction)(PVOID);

// A slot holds what GetProcAddress gave, null included, once kernel32 was
// found; until then it is NOT_LOOKED_UP and the lookup is tried again.
const uintptr_t NOT_LOOKED_UP = ~static_cast<uintptr_t>(0);

uintptr_t isWow64ProcessSlot = NOT_LOOKED_UP;
uintptr_t disableRedirectionSlot = NOT_LOOKED_UP;
uintptr_t revertRedirectionSlot = NOT_LOOKED_UP;

template <typename Function> Function LookUpKernel32(uintptr_t &slot, const char *name)
{
    if (slot == NOT_LOOKED_UP) {
        HMODULE kernel32 = GetModuleHandleW(L"kernel32");
        if (!kernel32)
            return nullptr;
        slot = reinterpret_cast<uintptr_t>(GetProcAddress(kernel32, name));
    }
    return reinterpret_cast<Function>(slot);
}

}  // namespace

BOOL IsWow64()
{
    IsWow64ProcessFunction isWow64Process =
        LookUpKernel32<IsWow64ProcessFunction>(isWow64ProcessSlot, "IsWow64Process");
    BOOL wow64 = FALSE;
    if (!isWow64Process || !isWow64Process(GetCurrentProcess(), &wow64))
        return FALSE;
    return wow64;
}

void DisableFsRedirection(PVOID *oldValue)
{
    Wow64DisableFunction disable =
        LookUpKernel32<Wow64DisableFunction>(disableRedirectionSlot, "Wow64DisableWow64FsRedirection");
    if (disable)
        disable(oldValue);
}

void RevertFsRedirection(PVOID oldValue)
{
    Wow64RevertFunction revert =
        LookUpKernel32<Wow64RevertFunction>(revertRedirectionSlot, "Wow64RevertWow64FsRedirection");
    if (revert)
        revert(oldValue);
}
