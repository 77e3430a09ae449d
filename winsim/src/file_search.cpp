// Searches of a folder with * and ?, in NTFS order: "." and ".." first, then
// the names compared in upper case.
#include <dirent.h>

#include <cerrno>
#include <cwchar>

#include "call_faults.h"
#include "file_system.h"
#include "winsim/utf8.h"

namespace winsim {
namespace {

struct Entry {
    std::wstring name;
    struct stat status;
};

bool MatchesFrom(const wchar_t *name, const wchar_t *pattern)
{
    for (; *pattern; ++pattern, ++name) {
        if (*pattern == L'*') {
            for (const wchar_t *rest = name;; ++rest) {
                if (MatchesFrom(rest, pattern + 1))
                    return true;
                if (!*rest)
                    return false;
            }
        }
        if (!*name || (*pattern != L'?' && *pattern != *name))
            return false;
    }
    return !*name;
}

// The first entry of the folder after the one returned last, in NTFS order.
bool NextEntry(FileSearch &search, Entry &next)
{
    bool found = false;
    std::wstring nextUpper;
    DIR *folder = opendir(search.hostFolder.c_str());
    if (!folder)
        return false;
    std::wstring lastUpper = Uppercase(search.lastName);
    while (dirent *entry = readdir(folder)) {
        std::wstring name = DecodeUtf8(entry->d_name);
        if (name == L"." || name == L"..")
            continue;
        std::wstring upper = Uppercase(name);
        if ((search.started && upper <= lastUpper) || (found && upper >= nextUpper))
            continue;
        if (!MatchesPattern(name, search.pattern))
            continue;
        struct stat status;
        if (lstat((search.hostFolder + "/" + entry->d_name).c_str(), &status) != 0)
            continue;
        found = true;
        nextUpper = upper;
        next = Entry{name, status};
    }
    closedir(folder);
    return found;
}

bool NextOf(FileSearch &search, Entry &next)
{
    while (search.dotsReturned < 2) {
        const wchar_t *dots = search.dotsReturned++ ? L".." : L".";
        if (MatchesPattern(dots, search.pattern) && stat(search.hostFolder.c_str(), &next.status) == 0) {
            next.name = dots;
            return true;
        }
    }
    if (!NextEntry(search, next))
        return false;
    search.started = true;
    search.lastName = next.name;
    return true;
}

// As Windows opens the folder for listing first: 0, or why the host will not
// list it (another user's private folder).
DWORD ListingRefused(const std::string &hostFolder)
{
    DIR *folder = opendir(hostFolder.c_str());
    if (!folder)
        return WindowsErrorOf(errno);
    closedir(folder);
    return 0;
}

void Fill(const Entry &entry, WIN32_FIND_DATAW &data)
{
    data = WIN32_FIND_DATAW();
    data.dwFileAttributes = AttributesOf(entry.status);
    if (S_ISREG(entry.status.st_mode)) {
        unsigned long long size = static_cast<unsigned long long>(entry.status.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
    }
    if (S_ISLNK(entry.status.st_mode))
        data.dwReserved0 = IO_REPARSE_TAG_MOUNT_POINT;
    std::wcsncpy(data.cFileName, entry.name.c_str(), MAX_PATH - 1);
}

}  // namespace

bool MatchesPattern(const std::wstring &name, const std::wstring &pattern)
{
    std::wstring upperPattern = Uppercase(pattern);
    if (upperPattern == L"*.*")
        upperPattern = L"*";
    return MatchesFrom(Uppercase(name).c_str(), upperPattern.c_str());
}

}  // namespace winsim

using namespace winsim;

HANDLE WINAPI FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData)
{
    if (LONG fault = EnterCall("FindFirstFileW")) {
        SetLastError(static_cast<DWORD>(fault));
        return INVALID_HANDLE_VALUE;
    }
    std::wstring path = lpFileName ? lpFileName : L"";
    size_t cut = path.find_last_of(L"\\/");
    std::wstring pattern = cut == std::wstring::npos ? path : path.substr(cut + 1);
    std::wstring folder = cut == std::wstring::npos ? std::wstring(L".") : path.substr(0, cut + 1);
    ResolvedPath resolved;
    DWORD error = pattern.empty() ? ERROR_FILE_NOT_FOUND : ResolvePath(folder.c_str(), resolved);
    if (!error && WindowsFullPath(path.c_str()).size() >= MAX_PATH)
        error = ERROR_PATH_NOT_FOUND;
    if (!error && !IsFolder(resolved))
        error = ERROR_PATH_NOT_FOUND;
    if (!error)
        error = ListingRefused(resolved.host);
    // The root folder has no "." and "..".
    FileSearch search{resolved.host, pattern, resolved.full.size() <= 3 ? 2 : 0, false, L""};
    Entry first;
    if (!error && !NextOf(search, first))
        error = ERROR_FILE_NOT_FOUND;
    if (error) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    Fill(first, *lpFindFileData);
    HANDLE handle = reinterpret_cast<HANDLE>(TheMachine().nextHandle += 4);
    TheMachine().files.searches[handle] = search;
    return handle;
}

BOOL WINAPI FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData)
{
    if (LONG fault = EnterCall("FindNextFileW")) {
        SetLastError(static_cast<DWORD>(fault));
        return FALSE;
    }
    auto found = TheMachine().files.searches.find(hFindFile);
    if (found == TheMachine().files.searches.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Entry next;
    if (!NextOf(found->second, next)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    Fill(next, *lpFindFileData);
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile)
{
    if (TheMachine().files.searches.erase(hFindFile) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
