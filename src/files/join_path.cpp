#include <cwchar>

#include "files/files.h"
#include "report/report.h"

bool JoinPath(LPWSTR lpBuffer, size_t nSize, LPCWSTR lpPrefix, LPCWSTR lpName)
{
    size_t prefixLength = wcslen(lpPrefix);
    size_t nameLength = wcslen(lpName);
    if (prefixLength + nameLength >= nSize)
        return false;
    wmemcpy(lpBuffer, lpPrefix, prefixLength);
    wmemcpy(lpBuffer + prefixLength, lpName, nameLength + 1);
    return true;
}

// A path cut to fit would name another file or folder: it is never used.
DWORD ReportPathTooLong(int line, LPCWSTR lpPrefix, LPCWSTR lpName)
{
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return ReportLastError(SOURCE_INSTALL, line, REPORT_ALL, "Path too long, skipped: %S%S", lpPrefix, lpName);
}
