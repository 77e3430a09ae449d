#include "files/files.h"
#include "report/report.h"

DWORD ChangeFileAttrib(LPCWSTR lpPath)
{
    DWORD attributes = GetFileAttributesW(lpPath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "GetFileAttributes() fail");
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !SetFileAttributesW(lpPath, attributes & 0xFFFE))
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "SetFileAttributes() fail");
    return 0;
}
