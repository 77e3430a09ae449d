#include <cstdlib>
#include <cwchar>

#include "driver/process_state.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const size_t DISPLAY_LIMIT = 254;

void PrintIndent(DWORD depth)
{
    for (DWORD i = 0; i < depth; ++i)
        PrintOut(L"  ");
}

// parent + "\" + name, cut at 254 characters; children are opened by name,
// so a cut display path never misleads the listing itself.
void BuildDisplayPath(wchar_t *path, LPCWSTR parent, LPCWSTR name)
{
    path[0] = L'\0';
    LPCWSTR pieces[] = {parent, L"\\", name};
    for (LPCWSTR piece : pieces) {
        size_t length = wcslen(path);
        if (length >= DISPLAY_LIMIT)
            break;
        wcsncat(path, piece, DISPLAY_LIMIT - length);
    }
}

}  // namespace

DWORD ListKeyValues(HKEY hKey, DWORD dwDepth, DWORD *lpValueCount)
{
    wchar_t *name = AllocValueName();
    if (!name)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");
    DWORD count = 0;
    DWORD result = 0;
    LONG status;
    while ((status = EnumValueName(hKey, count, name)) == ERROR_SUCCESS) {
        PrintIndent(dwDepth);
        PrintOut(L"ValName: %ls\n", name);
        ++count;
    }
    result = ValueEnumEndOrReport(status);
    *lpValueCount = count;
    free(name);
    return result;
}

DWORD ListKeyContents(HKEY hKey, LPCWSTR lpPath, DWORD dwDepth, DWORD *lpKeyCount, DWORD *lpValueCount)
{
    DWORD keys = 1;
    DWORD values = 0;
    PrintIndent(dwDepth);
    PrintOut(L"Key: %ls\n", lpPath);
    DWORD result = ListKeyValues(hKey, dwDepth + 1, &values);

    wchar_t *path = static_cast<wchar_t *>(malloc((DISPLAY_LIMIT + 1) * sizeof(wchar_t)));
    wchar_t *name = AllocKeyName();
    if (!path || !name) {
        result |= ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");
    } else {
        LONG status;
        for (DWORD index = 0; (status = EnumKeyName(hKey, index, name)) == ERROR_SUCCESS; ++index) {
            BuildDisplayPath(path, lpPath, name);
            HKEY child;
            // Opened as a link when it is one: a link is shown, never followed,
            // so a link back up the tree cannot make the listing endless.
            if (RegOpenKeyExW(hKey, name, REG_OPTION_OPEN_LINK, KEY_READ | RegViewFlag, &child) != ERROR_SUCCESS)
                continue;
            BOOL link;
            result |= IsRegistryLink(hKey, name, child, &link);
            if (link) {
                PrintIndent(dwDepth + 1);
                PrintOut(L"Link: %ls\n", path);
                ++keys;
            } else {
                DWORD childKeys = 0;
                DWORD childValues = 0;
                result |= ListKeyContents(child, path, dwDepth + 1, &childKeys, &childValues);
                keys += childKeys;
                values += childValues;
            }
            if (LONG closed = RegCloseKey(child))
                result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(closed), REPORT_ALL,
                                      "Can not RegCloseKey: %S", path);
        }
        result |= KeyEnumEndOrReport(status);
    }
    free(path);
    free(name);
    *lpKeyCount = keys;
    *lpValueCount = values;
    return result;
}
