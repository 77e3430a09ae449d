#include <cstdlib>
#include <cwchar>

#include "driver/process_state.h"
#include "registry/registry.h"

BOOL SubkeyRemains(HKEY hParent, DWORD dwIndex, LPCWSTR lpName, DWORD *lpResult)
{
    // Opened as itself, so that a broken link counts as still there; a key
    // that only fails to open is still there too, or an enumeration would
    // meet it again and again.
    HKEY probe;
    LONG probed = RegOpenKeyExW(hParent, lpName, REG_OPTION_OPEN_LINK, KEY_READ | RegViewFlag, &probe);
    if (probed == ERROR_SUCCESS)
        *lpResult |= CloseKeyOrReport(probe, lpName);
    if (!IsAbsentKey(probed))
        return TRUE;
    // A name that cannot be opened by itself (a NUL inside it ends it early)
    // is still at its index.
    wchar_t *name = AllocKeyName();
    BOOL same = name && EnumKeyName(hParent, dwIndex, name) == ERROR_SUCCESS && wcscmp(name, lpName) == 0;
    free(name);
    return same;
}
