#include <cstdlib>

#include "files/files.h"
#include "report/console_text.h"
#include "report/report.h"

int MyDeleteFile(LPCWSTR lpFileName)
{
    // Clears read-only, hidden and system; the delete decides.
    SetFileAttributesW(lpFileName, FILE_ATTRIBUTE_NORMAL);
    std::wstring real;
    RealPathOf(lpFileName, &real);
    if (DeleteFileW(lpFileName)) {
        NoteDeleted(FILE_DELETED, lpFileName, real);
        return 1;
    }
    PrintOut(L"File: %ls couldn't be deleted.\n", lpFileName);

    WCHAR *folder = FolderOfItem(lpFileName);
    if (!folder)
        return 0;
    WCHAR tmpName[MAX_PATH];
    if (!GetTempFileNameW(folder, L"csp", 0, tmpName)) {
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "GetTempFileName for file: %S fail.", lpFileName);
        free(folder);
        return 0;
    }
    free(folder);
    // A file in use can often be renamed: it leaves its name free at once
    // and is deleted under the new one at restart.
    if (!MoveFileExW(lpFileName, tmpName, MOVEFILE_REPLACE_EXISTING)) {
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "MoveFileEx from file: %S to %S fail.", lpFileName,
                        tmpName);
        // The empty placeholder that GetTempFileName made goes again.
        DeleteFileW(tmpName);
        return 0;
    }
    if (!DeleteAtRestart(tmpName)) {
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "MoveFileEx from file: %S to NULL fail.", tmpName);
        return 0;
    }
    NoteAtRestart(FILE_AT_RESTART, lpFileName, real, tmpName);
    PrintOut(L"File: %ls success mark delete at reboot.\n", lpFileName);
    return 1;
}
