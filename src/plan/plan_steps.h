// The registry plan's kinds of step, each over a list of paths or patterns,
// run in list order; every step runs whatever the earlier ones returned.
#pragma once

#include <cstddef>

#include "win32api.h"

struct Pass {
    DWORD dwMode;
    DWORD fWarn;
};

DWORD DeleteKeys(HKEY hRoot, const wchar_t *const *paths, size_t count, Pass pass);
// lpPrefix followed by each GUID, as DeleteKey paths.
DWORD DeleteGuidKeys(HKEY hRoot, LPCWSTR lpPrefix, const wchar_t *const *guids, size_t count, Pass pass);
DWORD WipeByKeyNames(LPCWSTR lpStart, const wchar_t *const *patterns, size_t count, Pass pass);
DWORD WipeByValueData(LPCWSTR lpStart, const wchar_t *const *patterns, size_t count, Pass pass);
DWORD DeleteValues(LPCWSTR lpKey, const wchar_t *const *patterns, size_t count, Pass pass);

template <size_t N> DWORD DeleteKeys(HKEY hRoot, const wchar_t *const (&paths)[N], Pass pass)
{
    return DeleteKeys(hRoot, paths, N, pass);
}
template <size_t N> DWORD DeleteGuidKeys(HKEY hRoot, LPCWSTR lpPrefix, const wchar_t *const (&guids)[N], Pass pass)
{
    return DeleteGuidKeys(hRoot, lpPrefix, guids, N, pass);
}
template <size_t N> DWORD WipeByKeyNames(LPCWSTR lpStart, const wchar_t *const (&patterns)[N], Pass pass)
{
    return WipeByKeyNames(lpStart, patterns, N, pass);
}
template <size_t N> DWORD WipeByValueData(LPCWSTR lpStart, const wchar_t *const (&patterns)[N], Pass pass)
{
    return WipeByValueData(lpStart, patterns, N, pass);
}
template <size_t N> DWORD DeleteValues(LPCWSTR lpKey, const wchar_t *const (&patterns)[N], Pass pass)
{
    return DeleteValues(lpKey, patterns, N, pass);
}
