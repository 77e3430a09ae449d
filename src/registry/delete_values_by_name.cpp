#include <cstdlib>
#include <cwchar>

#include "driver/process_state.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

DWORD DeleteValuesByName(HKEY hRoot, LPCWSTR lpSubKey, LPCWSTR lpPattern, DWORD dwMode, DWORD fWarn)
{
    PrintOut(L"Searching for ValName: %ls\\*%ls*\n", lpSubKey, lpPattern);
    wchar_t *name = AllocValueName();
    if (!name)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");

    DWORD result = 0;
    HKEY key;
    LONG status = RegOpenKeyExW(hRoot, lpSubKey, 0, KEY_ALL_ACCESS | RegViewFlag, &key);
    if (status != ERROR_SUCCESS) {
        result = SayUnopenedKey(status, lpSubKey, 0);
    } else {
        bool found = false;
        DWORD index = 0;
        while ((status = EnumValueName(key, index, name)) == ERROR_SUCCESS) {
            if (wcsstr(name, lpPattern)) {
                found = true;
                BOOL deleted;
                result |= RemoveMatchedValue(key, lpSubKey, name, dwMode, fWarn, &deleted);
                // The next value has slid into this place.
                if (deleted)
                    continue;
            }
            ++index;
        }
        result |= ValueEnumEndOrReport(status);
        if (!found)
            PrintOut(L"Matching ValName not exist: %ls\\*%ls*\n", lpSubKey, lpPattern);
        result |= CloseKeyOrReport(key, lpSubKey);
    }
    PrintOut(L"\n");
    free(name);
    return result;
}
