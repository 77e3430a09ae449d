#include <cstdlib>
#include <cwchar>

#include "registry/registry.h"
#include "report/report.h"

namespace {

// The text of a REG_SZ value, always terminated: the data rounded up to whole
// characters and one zero character more, whatever its byte count.
wchar_t *ReadText(HKEY hKey, LPCWSTR lpName, DWORD size, DWORD *result)
{
    size_t characters = size / sizeof(wchar_t) + 2;
    wchar_t *text = static_cast<wchar_t *>(calloc(characters, sizeof(wchar_t)));
    if (!text) {
        *result |= ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory");
        return nullptr;
    }
    LONG status = RegQueryValueExW(hKey, lpName, nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
    if (status != ERROR_SUCCESS) {
        *result |=
            ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegQueryValueEx failed");
        free(text);
        return nullptr;
    }
    return text;
}

}  // namespace

DWORD CountMatchingValueNames(HKEY hKey, LPCWSTR lpPattern, DWORD *lpCount)
{
    wchar_t *name = AllocValueName();
    if (!name)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");
    DWORD result = 0;
    DWORD count = 0;
    LONG status;
    for (DWORD index = 0; (status = EnumValueName(hKey, index, name)) == ERROR_SUCCESS; ++index)
        if (wcsstr(name, lpPattern))
            ++count;
    result = ValueEnumEndOrReport(status);
    *lpCount = count;
    free(name);
    return result;
}

DWORD CountMatchingValueData(HKEY hKey, LPCWSTR lpPattern, DWORD *lpCount)
{
    wchar_t *name = AllocValueName();
    if (!name)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");
    DWORD result = 0;
    DWORD count = 0;
    LONG status;
    for (DWORD index = 0; (status = EnumValueName(hKey, index, name)) == ERROR_SUCCESS; ++index) {
        DWORD type;
        DWORD size;
        LONG queried = RegQueryValueExW(hKey, name, nullptr, &type, nullptr, &size);
        if (queried != ERROR_SUCCESS) {
            result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(queried), REPORT_ALL,
                                  "RegQueryValueEx failed");
            continue;
        }
        if (type != REG_SZ)
            continue;
        wchar_t *text = ReadText(hKey, name, size, &result);
        if (text && wcsstr(text, lpPattern))
            ++count;
        free(text);
    }
    result |= ValueEnumEndOrReport(status);
    *lpCount = count;
    free(name);
    return result;
}
