#include <cstdlib>
#include <cwchar>

#include "files/files.h"
#include "report/report.h"

namespace {

DWORD ScanInfFolder(DWORD dwMode, LPWSTR lpFolder, LPWSTR lpPattern, LPWSTR lpPath)
{
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, lpFolder)))
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "SHGetFolderPath()");
    WCHAR windowsFolder[MAX_PATH];
    wcscpy(windowsFolder, lpFolder);
    if (!JoinPath(lpFolder, MAX_PATH, windowsFolder, L"\\inf") ||
        !JoinPath(lpPattern, MAX_PATH, lpFolder, L"\\oem*.inf"))
        return ReportPathTooLong(__LINE__, windowsFolder, L"\\inf\\oem*.inf");

    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(lpPattern, &data);
    if (search == INVALID_HANDLE_VALUE) {
        // No oem*.inf at all: the machine has no third-party driver packages.
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return 0;
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "FindFirstFile()");
    }
    DWORD skipped = 0;
    DWORD result = 0;
    do {
        WCHAR prefix[MAX_PATH];
        JoinPath(prefix, MAX_PATH, lpFolder, L"\\");
        if (!JoinPath(lpPath, MAX_PATH, prefix, data.cFileName)) {
            skipped |= ReportPathTooLong(__LINE__, prefix, data.cFileName);
            continue;
        }
        // A package that cannot be handled stops the scan.
        result = CleanInfFile(dwMode, lpPath, data);
    } while (result == 0 && FindNextFileW(search, &data));
    FindClose(search);
    return result | skipped;
}

}  // namespace

DWORD CleanDriverPackages(DWORD dwMode)
{
    WCHAR *folder = static_cast<WCHAR *>(malloc(MAX_PATH * sizeof(WCHAR)));
    WCHAR *pattern = static_cast<WCHAR *>(malloc(MAX_PATH * sizeof(WCHAR)));
    WCHAR *path = static_cast<WCHAR *>(malloc(MAX_PATH * sizeof(WCHAR)));
    DWORD result;
    if (!folder || !pattern || !path)
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Out of memory.");
    else
        result = ScanInfFolder(dwMode, folder, pattern, path);
    free(folder);
    free(pattern);
    free(path);
    return result;
}
