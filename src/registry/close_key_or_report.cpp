#include "registry/registry.h"
#include "report/report.h"

DWORD ReportFailedClose(LONG status, LPCWSTR lpName)
{
    return status == ERROR_SUCCESS ? 0
                                   : ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                                 "Can not RegCloseKey: %S", lpName);
}

DWORD CloseKeyOrReport(HKEY hKey, LPCWSTR lpName)
{
    return ReportFailedClose(RegCloseKey(hKey), lpName);
}
