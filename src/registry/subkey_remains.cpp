#include "driver/process_state.h"
#include "registry/registry.h"

BOOL SubkeyRemains(HKEY hParent, LPCWSTR lpName, DWORD *lpResult)
{
    // Opened as itself, so that a broken link counts as still there; a key
    // that only fails to open is still there too, or an enumeration would
    // meet it again and again.
    HKEY probe;
    LONG probed = RegOpenKeyExW(hParent, lpName, REG_OPTION_OPEN_LINK, KEY_READ | RegViewFlag, &probe);
    if (probed == ERROR_SUCCESS)
        *lpResult |= CloseKeyOrReport(probe, lpName);
    return !IsAbsentKey(probed);
}
