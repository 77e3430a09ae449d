#include <cwchar>

#include "registry/registry.h"

BOOL IsSystemPath(LPCWSTR lpPath)
{
    return _wcsnicmp(lpPath, L"SYSTEM", 6) == 0;
}
