#include "registry/registry.h"
#include "report/report.h"

DWORD CloseKeyOrReport(HKEY hKey, LPCWSTR lpName)
{
    LONG status = RegCloseKey(hKey);
    return status == ERROR_SUCCESS ? 0
                                   : ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                                 "Can not RegCloseKey: %S", lpName);
}
