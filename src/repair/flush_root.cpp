#include "driver/process_state.h"
#include "repair/repair.h"

void FlushRoot(LPCWSTR lpSubKey)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, lpSubKey, 0, KEY_ALL_ACCESS | RegViewFlag, &key) != ERROR_SUCCESS)
        return;
    RegFlushKey(key);
    RegCloseKey(key);
}
