#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "files/files.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const wchar_t VENDOR_WORD[] = L"VexaLune";

// Whether the UTF-16 little-endian text, up to its first NUL unit, holds the
// word; the last whole unit counts as the text's terminator.
bool NamesVendor(const BYTE *content, DWORD bytesRead)
{
    size_t count = bytesRead / 2;
    if (count == 0)
        return false;
    size_t wordLength = wcslen(VENDOR_WORD);
    size_t end = 0;
    for (; end + 1 < count; ++end) {
        uint16_t unit;
        memcpy(&unit, content + 2 * end, 2);
        if (unit == 0)
            break;
    }
    for (size_t start = 0; start + wordLength <= end; ++start) {
        size_t i = 0;
        for (; i < wordLength; ++i) {
            uint16_t unit;
            memcpy(&unit, content + 2 * (start + i), 2);
            if (unit != static_cast<uint16_t>(VENDOR_WORD[i]))
                break;
        }
        if (i == wordLength)
            return true;
    }
    return false;
}

// 0 with the answer in fNames, or the value of the report of what failed.
DWORD ReadNamesVendor(LPCWSTR lpInfPath, DWORD nSize, bool &fNames)
{
    HANDLE file =
        CreateFileW(lpInfPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "CreateFile()");
    BYTE *content = static_cast<BYTE *>(malloc(nSize));
    if (!content) {
        DWORD report = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Out of memory.");
        CloseHandle(file);
        return report;
    }
    DWORD bytesRead = 0;
    if (!ReadFile(file, content, nSize, &bytesRead, nullptr)) {
        DWORD report = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "ReadFile()");
        CloseHandle(file);
        free(content);
        return report;
    }
    CloseHandle(file);
    fNames = NamesVendor(content, bytesRead);
    free(content);
    return 0;
}

}  // namespace

DWORD CleanInfFile(DWORD dwMode, LPWSTR lpInfPath, WIN32_FIND_DATAW findData)
{
    if (findData.nFileSizeHigh == 0 && findData.nFileSizeLow == 0)
        return 0;
    // A package's INF is small: one of 4 GiB or more is not read in part.
    if (findData.nFileSizeHigh != 0) {
        PrintOut(L"Too large to be a driver package, skipped: %ls\n", lpInfPath);
        return 0;
    }
    bool names = false;
    if (DWORD report = ReadNamesVendor(lpInfPath, findData.nFileSizeLow, names))
        return report;
    if (!names)
        return 0;

    if (dwMode) {
        if (ChangeFileAttrib(lpInfPath) != 0)
            return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "ChangeFileAttrib() fail");
        std::wstring real;
        RealPathOf(lpInfPath, &real);
        if (!DeleteFileW(lpInfPath))
            return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "DeleteFile() *.inf");
        NoteDeleted(DRIVER_PACKAGE_REMOVED, lpInfPath, real);
        PrintOut(L"Delete file: %ls\n", lpInfPath);
    } else {
        NoteFound(FOUND_DRIVER_PACKAGE, lpInfPath);
        PrintOut(L"Find file: %ls\n", lpInfPath);
    }

    size_t length = wcslen(lpInfPath);
    if (length >= 3)
        wcscpy(lpInfPath + length - 3, L"pnf");
    HANDLE search = FindFirstFileW(lpInfPath, &findData);
    if (search == INVALID_HANDLE_VALUE) {
        PrintOut(L"File not exist: %ls\n", lpInfPath);
        return 0;
    }
    DWORD result = 0;
    if (dwMode == 0) {
        PrintOut(L"Find file: %ls\n", lpInfPath);
    } else if (ChangeFileAttrib(lpInfPath) != 0) {
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "ChangeFileAttrib() fail");
    } else {
        std::wstring real;
        RealPathOf(lpInfPath, &real);
        if (!DeleteFileW(lpInfPath)) {
            result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "DeleteFile() *.pnf");
        } else {
            NoteDeleted(FILE_DELETED, lpInfPath, real);
            PrintOut(L"Delete file: %ls\n", lpInfPath);
        }
    }
    FindClose(search);
    return result;
}
