#include "files/files.h"
#include "report/report.h"

DWORD DeleteTreeIfExists(LPCWSTR lpPath, DWORD dwMode, DWORD fWarn)
{
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(lpPath, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);

    DWORD result = 0;
    if (fWarn)
        result = ReportResidue(SOURCE_INSTALL, __LINE__, "Redundant data found: %S", lpPath);
    if (dwMode == 0) {
        NoteFound(FOUND_FOLDER, lpPath);
        return result;
    }
    if (RecurseWipeTree(lpPath) != 0)
        result |= ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "RecurseWipeTree failed: %S", lpPath);
    return result;
}
