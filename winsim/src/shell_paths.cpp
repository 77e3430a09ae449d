// Path helpers of shlwapi and of the C runtime.
#include <cwchar>

#include "file_system.h"

namespace {

void CopyPart(wchar_t *target, size_t size, const wchar_t *begin, const wchar_t *end)
{
    if (!target)
        return;
    size_t length = static_cast<size_t>(end - begin);
    if (length > size - 1)
        length = size - 1;
    std::wmemcpy(target, begin, length);
    target[length] = L'\0';
}

}  // namespace

LPWSTR WINAPI PathAddBackslashW(LPWSTR pszPath)
{
    size_t length = std::wcslen(pszPath);
    if (length >= MAX_PATH - 1)
        return nullptr;
    if (length && pszPath[length - 1] != L'\\') {
        pszPath[length++] = L'\\';
        pszPath[length] = L'\0';
    }
    return pszPath + length;
}

void _wsplitpath(const wchar_t *path, wchar_t *drive, wchar_t *dir, wchar_t *fname, wchar_t *ext)
{
    const wchar_t *rest = path;
    if (path[0] && path[1] == L':')
        rest = path + 2;
    CopyPart(drive, _MAX_DRIVE, path, rest);
    const wchar_t *name = rest;
    const wchar_t *dot = nullptr;
    for (const wchar_t *p = rest; *p; ++p) {
        if (*p == L'\\' || *p == L'/') {
            name = p + 1;
            dot = nullptr;
        } else if (*p == L'.') {
            dot = p;
        }
    }
    const wchar_t *end = rest + std::wcslen(rest);
    CopyPart(dir, _MAX_DIR, rest, name);
    CopyPart(fname, _MAX_FNAME, name, dot ? dot : end);
    CopyPart(ext, _MAX_EXT, dot ? dot : end, end);
}
