#include "registry/registry.h"

// Placeholder until registry key deletion arrives: deletes nothing.
DWORD DeleteKey(HKEY, LPCWSTR, DWORD, DWORD)
{
    return 0;
}
