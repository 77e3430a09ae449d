#include "driver/process_state.h"
#include "registry/registry.h"

namespace {

typedef LONG(WINAPI *RegDeleteKeyExFunction)(HKEY, LPCWSTR, REGSAM, DWORD);

}  // namespace

// RegDeleteKeyExW, which takes the view, is missing on 32-bit Windows XP.
LONG DeleteKeyInView(HKEY hParent, LPCWSTR lpSubKey)
{
    HMODULE advapi32 = GetModuleHandleW(L"advapi32.dll");
    RegDeleteKeyExFunction deleteKeyEx = advapi32 ? reinterpret_cast<RegDeleteKeyExFunction>(reinterpret_cast<void *>(
                                                        GetProcAddress(advapi32, "RegDeleteKeyExW")))
                                                  : nullptr;
    if (deleteKeyEx)
        return deleteKeyEx(hParent, lpSubKey, RegViewFlag, 0);
    return RegDeleteKeyW(hParent, lpSubKey);
}
