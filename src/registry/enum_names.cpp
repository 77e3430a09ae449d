#include <cstdlib>

#include "registry/registry.h"
#include "report/report.h"

LONG EnumKeyName(HKEY hKey, DWORD dwIndex, LPWSTR lpName)
{
    DWORD length = KEY_NAME_CHARS;
    return RegEnumKeyExW(hKey, dwIndex, lpName, &length, nullptr, nullptr, nullptr, nullptr);
}

LONG EnumValueName(HKEY hKey, DWORD dwIndex, LPWSTR lpName)
{
    DWORD length = VALUE_NAME_CHARS;
    return RegEnumValueW(hKey, dwIndex, lpName, &length, nullptr, nullptr, nullptr, nullptr);
}

LPWSTR AllocKeyName()
{
    return static_cast<LPWSTR>(malloc(KEY_NAME_CHARS * sizeof(wchar_t)));
}

LPWSTR AllocValueName()
{
    return static_cast<LPWSTR>(malloc(VALUE_NAME_CHARS * sizeof(wchar_t)));
}

DWORD KeyEnumEndOrReport(LONG status)
{
    return status == ERROR_NO_MORE_ITEMS ? 0
                                         : ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                                       "RegEnumKeyEx failed: SUCCESS or NO_MORE_ITEMS expected.");
}

DWORD ValueEnumEndOrReport(LONG status)
{
    return status == ERROR_NO_MORE_ITEMS ? 0
                                         : ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                                       "RegEnumValue failed: SUCCESS or NO_MORE_ITEMS expected.");
}
