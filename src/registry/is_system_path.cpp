#include <cwchar>

#include "registry/registry.h"

BOOL IsSystemPath(LPCWSTR lpPath)
{
    return _wcsnicmp(lpPath, L"SYSTEM", 6) == 0;
}

BOOL IsAbsentKey(LONG status)
{
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}
