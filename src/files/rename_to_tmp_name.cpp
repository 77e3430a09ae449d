#include <cstdlib>

#include "files/files.h"
#include "report/console_text.h"
#include "report/report.h"

int RenameToTmpName(LPCWSTR lpPath, LPWSTR lpTmpName)
{
    WCHAR *folder = FolderOfItem(lpPath);
    if (!folder)
        return 0;
    if (!GetTempFileNameW(folder, L"csp", 0, lpTmpName)) {
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "GetTempFileName for file: %S fail.", lpPath);
        free(folder);
        return 0;
    }
    free(folder);
    // A folder cannot replace the placeholder file; a file can. The
    // placeholder is ours, not the products': it goes unnoted and uncounted.
    DWORD attributes = GetFileAttributesW(lpPath);
    bool isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (GetFileAttributesW(lpTmpName) != INVALID_FILE_ATTRIBUTES && isFolder && !DeleteFileW(lpTmpName)) {
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "DeleteFile for the placeholder: %S fail.", lpTmpName);
        return 0;
    }
    if (!MoveFileExW(lpPath, lpTmpName, MOVEFILE_REPLACE_EXISTING)) {
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "MoveFileEx from file: %S to %S fail.", lpPath,
                        lpTmpName);
        return 0;
    }
    PrintOut(L"Rename: %ls into %ls success.\n", lpPath, lpTmpName);
    return 1;
}
