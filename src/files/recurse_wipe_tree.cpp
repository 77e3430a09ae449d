#include <cstdlib>
#include <cwchar>

#include "files/files.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

bool IsTmpName(LPCWSTR name)
{
    return wcsstr(name, L"csp") && wcsstr(name, L".tmp");
}

bool IsDots(LPCWSTR name)
{
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

DWORD WipeEntries(LPCWSTR lpPrefix, LPWSTR lpWork)
{
    DWORD result = 0;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(lpWork, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        // Files in use move to such names in this very folder while it is read.
        if (IsTmpName(data.cFileName)) {
            PrintOut(L"Skip: %ls\n", data.cFileName);
            continue;
        }
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder && IsDots(data.cFileName))
            continue;
        if (!JoinPath(lpWork, MAX_PATH, lpPrefix, data.cFileName)) {
            ReportPathTooLong(__LINE__, lpPrefix, data.cFileName);
            result |= 1;
            continue;
        }
        if (!isFolder) {
            if (MyDeleteFile(lpWork)) {
                PrintOut(L"Deleted file: %ls\n", lpWork);
            } else {
                PrintOut(L"Failed to delete: %ls\n", lpWork);
                result |= 1;
            }
            continue;
        }
        PrintOut(L"RecurseWipeTree: %ls\n", lpWork);
        result |= RecurseWipeTree(lpWork);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return result;
}

// Removes the folder, or moves it to a temporary name and schedules it for
// deletion at restart after everything that is still inside it.
DWORD RemoveFolder(LPCWSTR lpPath, bool isLink)
{
    SetFileAttributesW(lpPath, FILE_ATTRIBUTE_NORMAL);
    std::wstring real;
    RealPathOf(lpPath, &real);
    if (RemoveDirectoryW(lpPath)) {
        NoteDeleted(FOLDER_DELETED, lpPath, real);
        PrintOut(L"Deleted dir: %ls\n", lpPath);
        return 0;
    }
    DWORD result = 0;
    WCHAR tmpName[MAX_PATH];
    LPCWSTR target = tmpName;
    if (RenameToTmpName(lpPath, tmpName)) {
        MoveHeldNotes(real.empty() ? lpPath : real, NameAfterMove(real, tmpName));
        // What was scheduled inside was recorded under the old name, which
        // no longer leads to it: record it again under the new one.
        if (!isLink)
            result |= ScheduleContentsAtRestart(tmpName);
    } else {
        PrintOut(L"Failed to rename %ls to TmpName.\n", lpPath);
        result |= 1;
        target = lpPath;
    }
    if (DeleteAtRestart(target)) {
        NoteAtRestart(FOLDER_AT_RESTART, lpPath, real, target == tmpName ? tmpName : nullptr);
        PrintOut(L"Marked to delete on reboot dir: %ls\n", target);
    } else {
        ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "MoveFileEx: %S to NULL fail.", target);
        result |= 1;
    }
    return result;
}

DWORD WipeTree(LPCWSTR lpPath)
{
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(lpPath, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (MyDeleteFile(lpPath)) {
            PrintOut(L"Deleted file: %ls\n", lpPath);
            return 0;
        }
        PrintOut(L"Failed to delete: %ls\n", lpPath);
        return 1;
    }
    // A junction or symbolic link may lead anywhere on the machine: the link
    // goes, what it leads to stays.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        PrintOut(L"Link, not followed: %ls\n", lpPath);
        return RemoveFolder(lpPath, true);
    }

    WCHAR *prefix = static_cast<WCHAR *>(malloc(MAX_PATH * sizeof(WCHAR)));
    WCHAR *work = static_cast<WCHAR *>(malloc(MAX_PATH * sizeof(WCHAR)));
    DWORD result = 0;
    if (!prefix || !work) {
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");
    } else {
        size_t length = wcslen(lpPath);
        LPCWSTR separator = length && lpPath[length - 1] == L'\\' ? L"" : L"\\";
        // The prefix must leave room for the "*" of the search pattern.
        if (!JoinPath(prefix, MAX_PATH - 1, lpPath, separator)) {
            result = ReportPathTooLong(__LINE__, lpPath, separator);
        } else {
            JoinPath(work, MAX_PATH, prefix, L"*");
            PrintOut(L"Searching %ls\n", work);
            result = WipeEntries(prefix, work);
            result |= RemoveFolder(lpPath, false);
        }
    }
    free(prefix);
    free(work);
    return result;
}

}  // namespace

DWORD RecurseWipeTree(LPCWSTR lpPath)
{
    RestartNotesHeld held;
    return WipeTree(lpPath);
}
