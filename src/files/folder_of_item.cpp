#include <cstdlib>

#include "files/files.h"
#include "report/report.h"

WCHAR *FolderOfItem(LPCWSTR lpPath)
{
    WCHAR probe[1];
    DWORD length = GetFullPathNameW(lpPath, 1, probe, nullptr);
    if (length == 0) {
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "GetFullPathName(1) for file: %S fail.", lpPath);
        return nullptr;
    }
    WCHAR *folder = static_cast<WCHAR *>(malloc(length * sizeof(WCHAR)));
    if (!folder)
        return nullptr;
    LPWSTR filePart = nullptr;
    DWORD written = GetFullPathNameW(lpPath, length, folder, &filePart);
    if (written == 0 || written >= length) {
        // A full path that grew since the first call did not fit.
        if (written)
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "GetFullPathName(2) for file: %S fail.", lpPath);
        free(folder);
        return nullptr;
    }
    // A path that ends in a separator names no item inside a folder.
    if (!filePart) {
        SetLastError(ERROR_INVALID_NAME);
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "No file name in path: %S", lpPath);
        free(folder);
        return nullptr;
    }
    *filePart = L'\0';
    return folder;
}
