#include "files/files.h"
#include "report/console_text.h"
#include "report/report.h"

DWORD DeleteFileIfExists(LPCWSTR lpFileName, DWORD dwMode, DWORD fWarn)
{
    if (GetFileAttributesW(lpFileName) == INVALID_FILE_ATTRIBUTES) {
        PrintOut(L"File not exist: %ls\n", lpFileName);
        return 0;
    }
    DWORD result = 0;
    if (fWarn)
        result = ReportResidue(SOURCE_INSTALL, __LINE__, "Redundant data found: %S", lpFileName);
    if (!dwMode)
        NoteFound(FOUND_FILE, lpFileName);
    if (dwMode && !MyDeleteFile(lpFileName))
        result |= ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Can not remove: %S", lpFileName);
    return result;
}
