#include "driver/privileges.h"
#include "report/report.h"

DWORD GetPriveleges()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "OpenProcessToken()");

    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, SE_TAKE_OWNERSHIP_NAME, &privileges.Privileges[0].Luid)) {
        DWORD result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "LookupPrivilegeValue()");
        CloseHandle(token);
        return result;
    }
    // A token without the privilege still goes on: each takeover that needs it
    // fails and is reported where it happens.
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
    return 0;
}
