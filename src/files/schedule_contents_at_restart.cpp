#include <cwchar>

#include "files/files.h"
#include "report/report.h"

DWORD ScheduleContentsAtRestart(LPCWSTR lpFolder)
{
    WCHAR prefix[MAX_PATH];
    WCHAR path[MAX_PATH];
    if (!JoinPath(prefix, MAX_PATH - 1, lpFolder, L"\\")) {
        ReportPathTooLong(__LINE__, lpFolder, L"\\");
        return 1;
    }
    JoinPath(path, MAX_PATH, prefix, L"*");
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(path, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    DWORD result = 0;
    do {
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0))
            continue;
        if (!JoinPath(path, MAX_PATH, prefix, data.cFileName)) {
            ReportPathTooLong(__LINE__, prefix, data.cFileName);
            result = 1;
            continue;
        }
        if (isFolder && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            result |= ScheduleContentsAtRestart(path);
        if (!DeleteAtRestart(path)) {
            ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "MoveFileEx: %S to NULL fail.", path);
            result = 1;
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return result;
}
