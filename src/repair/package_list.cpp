#include <cwchar>

#include "repair/security_packages.h"

BOOL HasClosingElement(const WCHAR *lpList, DWORD n)
{
    return n > 0 && lpList[n - 1] == L'\0' && (n == 1 || lpList[n - 2] == L'\0');
}

DWORD PackageListEnd(const WCHAR *lpList, DWORD n)
{
    return HasClosingElement(lpList, n) ? n - 1 : n;
}

DWORD PackageLength(const WCHAR *lpList, DWORD dwEnd, DWORD p)
{
    DWORD e = p;
    while (e < dwEnd && lpList[e] != L'\0')
        ++e;
    return e - p;
}

BOOL IsPackage(const WCHAR *lpList, DWORD dwEnd, DWORD p, LPCWSTR lpName)
{
    size_t length = wcslen(lpName);
    return PackageLength(lpList, dwEnd, p) == length && wmemcmp(lpList + p, lpName, length) == 0;
}

BOOL HasPackage(const WCHAR *lpList, DWORD dwEnd, LPCWSTR lpName)
{
    for (DWORD p = 0; p < dwEnd; p += PackageLength(lpList, dwEnd, p) + 1)
        if (IsPackage(lpList, dwEnd, p, lpName))
            return TRUE;
    return FALSE;
}

void AppendPackage(WCHAR *lpList, DWORD *lpLength, LPCWSTR lpName)
{
    size_t length = wcslen(lpName);
    wmemcpy(lpList + *lpLength, lpName, length);
    *lpLength += static_cast<DWORD>(length);
    lpList[(*lpLength)++] = L'\0';
}
