// String functions that the Windows C runtime has and glibc names otherwise.
#include <cwchar>

#include "winsim/windows.h"

int _wcsnicmp(const wchar_t *a, const wchar_t *b, size_t count)
{
    return wcsncasecmp(a, b, count);
}

int _wcsicmp(const wchar_t *a, const wchar_t *b)
{
    return wcscasecmp(a, b);
}
