#include "driver/process_state.h"
#include "record/record.h"
#include "registry/registry.h"
#include "report/tally.h"

namespace {

typedef LONG(WINAPI *ZwDeleteKeyFunction)(HANDLE);

const wchar_t LINK_VALUE[] = L"SymbolicLinkValue";

}  // namespace

BOOL IsRegistryLink(HKEY hKey)
{
    DWORD type = REG_NONE;
    return RegQueryValueExW(hKey, LINK_VALUE, nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS && type == REG_LINK;
}

LONG DeleteOpenLink(HKEY hLink)
{
    UndoLink(hLink);
    LONG result = RegDeleteValueW(hLink, LINK_VALUE);
    HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
    if (ntdll) {
        ZwDeleteKeyFunction zwDeleteKey =
            reinterpret_cast<ZwDeleteKeyFunction>(reinterpret_cast<void *>(GetProcAddress(ntdll, "ZwDeleteKey")));
        result = zwDeleteKey ? zwDeleteKey(hLink) : static_cast<LONG>(GetLastError());
        FreeLibrary(ntdll);
    }
    if (result == 0)
        Tally(TALLY_KEYS);
    return result;
}

LONG DeleteLinkKey(LPCWSTR lpSubKey, DWORD dwMode)
{
    HKEY link;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, lpSubKey, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &link) != ERROR_SUCCESS)
        return 0;
    // Whatever opens at the path is deleted only when it is a link: an
    // ordinary key of the same name (another root's, or the other view's)
    // is not the caller's to take.
    LONG result = dwMode == MODE_REMOVE && IsRegistryLink(link) ? DeleteOpenLink(link) : 0;
    RegCloseKey(link);
    return result;
}
