#include <cwchar>

#include "files/files.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

// Whether the drive and folder part of the mask fit the splitter's buffers
// and the folder prefix whole; the splitter would cut them silently.
bool FolderPartFits(LPCWSTR lpMask)
{
    size_t driveLength = lpMask[0] && lpMask[1] == L':' ? 2 : 0;
    size_t folderEnd = driveLength;
    for (size_t i = driveLength; lpMask[i]; ++i)
        if (lpMask[i] == L'\\' || lpMask[i] == L'/')
            folderEnd = i + 1;
    return folderEnd - driveLength < _MAX_DIR && folderEnd < _MAX_DIR;
}

}  // namespace

DWORD DeleteByMask(LPCWSTR lpMask, DWORD dwMode, DWORD fWarn)
{
    WCHAR drive[_MAX_DRIVE];
    WCHAR folder[_MAX_DIR];
    WCHAR prefix[_MAX_DIR];
    WCHAR path[MAX_PATH];
    WIN32_FIND_DATAW data;

    PrintOut(L"Mask is %ls\n", lpMask);
    if (!FolderPartFits(lpMask))
        return ReportPathTooLong(__LINE__, lpMask, L"");
    _wsplitpath(lpMask, drive, folder, nullptr, nullptr);
    JoinPath(prefix, _MAX_DIR, drive, folder);
    PrintOut(L"Dir is %ls\n", prefix);

    HANDLE search = FindFirstFileW(lpMask, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    DWORD result = 0;
    do {
        if (!JoinPath(path, MAX_PATH, prefix, data.cFileName)) {
            result |= ReportPathTooLong(__LINE__, prefix, data.cFileName);
            continue;
        }
        PrintOut(L"File is %ls\n", path);
        result |= DeleteFileIfExists(path, dwMode, fWarn);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return result;
}
