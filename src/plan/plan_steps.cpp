#include "plan/plan_steps.h"

#include <cwchar>

#include "registry/registry.h"

namespace {

const size_t PATH_CHARS = 260;

}  // namespace

DWORD DeleteKeys(HKEY hRoot, const wchar_t *const *paths, size_t count, Pass pass)
{
    DWORD result = 0;
    for (size_t i = 0; i < count; ++i)
        result |= DeleteKey(hRoot, paths[i], pass.dwMode, pass.fWarn);
    return result;
}

DWORD DeleteGuidKeys(HKEY hRoot, LPCWSTR lpPrefix, const wchar_t *const *guids, size_t count, Pass pass)
{
    DWORD result = 0;
    wchar_t path[PATH_CHARS];
    for (size_t i = 0; i < count; ++i) {
        swprintf(path, PATH_CHARS, L"%ls%ls", lpPrefix, guids[i]);
        result |= DeleteKey(hRoot, path, pass.dwMode, pass.fWarn);
    }
    return result;
}

DWORD WipeByKeyNames(LPCWSTR lpStart, const wchar_t *const *patterns, size_t count, Pass pass)
{
    DWORD result = 0;
    for (size_t i = 0; i < count; ++i)
        result |= WipeMatchingKeys(lpStart, patterns[i], nullptr, pass.dwMode, pass.fWarn);
    return result;
}

DWORD WipeByValueData(LPCWSTR lpStart, const wchar_t *const *patterns, size_t count, Pass pass)
{
    DWORD result = 0;
    for (size_t i = 0; i < count; ++i)
        result |= WipeMatchingKeys(lpStart, nullptr, patterns[i], pass.dwMode, pass.fWarn);
    return result;
}

DWORD DeleteValues(LPCWSTR lpKey, const wchar_t *const *patterns, size_t count, Pass pass)
{
    DWORD result = 0;
    for (size_t i = 0; i < count; ++i)
        result |= DeleteValuesByName(HKEY_LOCAL_MACHINE, lpKey, patterns[i], pass.dwMode, pass.fWarn);
    return result;
}
