#include <cstdlib>
#include <cwchar>

#include "driver/process_state.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const DWORD VALUE_NAME_CHARS = 16383;
const DWORD MODE_REMOVE = 1;

}  // namespace

DWORD DeleteValuesByName(HKEY hRoot, LPCWSTR lpSubKey, LPCWSTR lpPattern, DWORD dwMode, DWORD fWarn)
{
    PrintOut(L"Searching for ValName: %ls\\*%ls*\n", lpSubKey, lpPattern);
    wchar_t *name = static_cast<wchar_t *>(malloc(VALUE_NAME_CHARS * sizeof(wchar_t)));
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
        DWORD length;
        while ((length = VALUE_NAME_CHARS, status = RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr,
                                                                  nullptr)) == ERROR_SUCCESS) {
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
        if (status != ERROR_NO_MORE_ITEMS)
            result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                  "RegEnumValue failed: SUCCESS or NO_MORE_ITEMS expected.");
        if (!found)
            PrintOut(L"Matching ValName not exist: %ls\\*%ls*\n", lpSubKey, lpPattern);
        result |= CloseKeyOrReport(key, lpSubKey);
    }
    PrintOut(L"\n");
    free(name);
    return result;
}
