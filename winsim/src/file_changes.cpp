// Making, deleting and renaming files and folders, with Windows' refusals:
// read-only items, files in use, folders that are not empty, junctions
// removed as links.
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "call_faults.h"
#include "file_system.h"
#include "winsim/utf8.h"

namespace winsim {
namespace {

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

bool SameNode(const ResolvedPath &a, const ResolvedPath &b)
{
    NodeId x = NodeOf(a.status);
    NodeId y = NodeOf(b.status);
    return !(x < y) && !(y < x);
}

// Whether the unlinked node is gone from the host altogether.
void ForgetIfGone(const struct stat &status)
{
    if (status.st_nlink <= 1 || S_ISDIR(status.st_mode))
        ForgetNode(NodeOf(status));
}

BOOL ScheduleAtRestart(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    if (TheMachine().files.pendingRenameError)
        return Fail(TheMachine().files.pendingRenameError);
    ResolvedPath from;
    if (DWORD error = ResolvePath(lpExistingFileName, from))
        return Fail(error);
    std::wstring to;
    if (lpNewFileName) {
        ResolvedPath target;
        if (DWORD error = ResolvePath(lpNewFileName, target))
            return Fail(error);
        to = std::wstring(dwFlags & MOVEFILE_REPLACE_EXISTING ? L"!" : L"") + L"\\??\\" + target.full;
    }
    RecordPendingFileRename(L"\\??\\" + from.full, to);
    return TRUE;
}

}  // namespace
}  // namespace winsim

using namespace winsim;

BOOL WINAPI CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes)
{
    if (LONG fault = EnterCall("CreateDirectoryW")) {
        SetLastError(static_cast<DWORD>(fault));
        return FALSE;
    }
    ResolvedPath item;
    DWORD error = ResolvePath(lpPathName, item);
    ObjectSecurity security;
    if (!error && !SecurityGiven(lpSecurityAttributes, &security))
        error = ERROR_INVALID_SECURITY_DESCR;
    if (!error && item.exists)
        error = ERROR_ALREADY_EXISTS;
    // A folder leaves room for a short file name inside it.
    if (!error && item.full.size() > MAX_PATH - 12 - 1)
        error = ERROR_FILENAME_EXCED_RANGE;
    if (!error && mkdir(item.host.c_str(), 0755) != 0)
        error = WindowsErrorOf(errno);
    if (error)
        return Fail(error);
    struct stat status;
    if (lstat(item.host.c_str(), &status) == 0) {
        KeepAttributes(NodeOf(status), 0);
        TheMachine().files.security[NodeOf(status)] = security;
    }
    return TRUE;
}

BOOL WINAPI RemoveDirectoryW(LPCWSTR lpPathName)
{
    if (LONG fault = EnterCall("RemoveDirectoryW")) {
        SetLastError(static_cast<DWORD>(fault));
        return FALSE;
    }
    ResolvedPath item;
    if (DWORD error = ResolvePath(lpPathName, item))
        return Fail(error);
    if (!item.exists)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (!IsFolder(item))
        return Fail(ERROR_DIRECTORY);
    if (AttributesOf(item.status) & FILE_ATTRIBUTE_READONLY)
        return Fail(ERROR_ACCESS_DENIED);
    // A junction goes as a link; its target is not touched.
    if (IsJunction(item)) {
        if (unlink(item.host.c_str()) != 0)
            return Fail(WindowsErrorOf(errno));
    } else if (rmdir(item.host.c_str()) != 0) {
        // The host may say "exists" of a folder that is not empty.
        return Fail(WindowsErrorOf(errno == EEXIST ? ENOTEMPTY : errno));
    }
    ForgetNode(NodeOf(item.status));
    return TRUE;
}

BOOL WINAPI DeleteFileW(LPCWSTR lpFileName)
{
    if (LONG fault = EnterCall("DeleteFileW")) {
        SetLastError(static_cast<DWORD>(fault));
        return FALSE;
    }
    ResolvedPath item;
    if (DWORD error = ResolvePath(lpFileName, item))
        return Fail(error);
    if (!item.exists)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (IsFolder(item))
        return Fail(ERROR_ACCESS_DENIED);
    NodeId node = NodeOf(item.status);
    if (DWORD error = ShareConflict(node, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return Fail(error);
    if ((AttributesOf(item.status) & FILE_ATTRIBUTE_READONLY) || TheMachine().files.loadedImages.count(node))
        return Fail(ERROR_ACCESS_DENIED);
    if (unlink(item.host.c_str()) != 0)
        return Fail(WindowsErrorOf(errno));
    ForgetIfGone(item.status);
    return TRUE;
}

BOOL WINAPI MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags)
{
    if (LONG fault = EnterCall("MoveFileExW")) {
        SetLastError(static_cast<DWORD>(fault));
        return FALSE;
    }
    if (dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT)
        return ScheduleAtRestart(lpExistingFileName, lpNewFileName, dwFlags);
    if (!lpNewFileName)
        return Fail(ERROR_INVALID_PARAMETER);
    ResolvedPath from;
    ResolvedPath to;
    if (DWORD error = ResolvePath(lpExistingFileName, from))
        return Fail(error);
    if (!from.exists)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (DWORD error = ResolvePath(lpNewFileName, to))
        return Fail(error);
    NodeId node = NodeOf(from.status);
    if (DWORD error = ShareConflict(node, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return Fail(error);
    // Windows refuses to rename a folder while a file in it is open.
    if (IsFolder(from) && !IsJunction(from) && HasOpenFilesUnder(from.host))
        return Fail(ERROR_ACCESS_DENIED);
    bool replaces = to.exists && !SameNode(from, to);
    if (replaces) {
        if (!(dwFlags & MOVEFILE_REPLACE_EXISTING))
            return Fail(ERROR_ALREADY_EXISTS);
        NodeId target = NodeOf(to.status);
        // Only a file that is free to go can be replaced, and only by a file.
        if (IsFolder(to) || IsFolder(from) || (AttributesOf(to.status) & FILE_ATTRIBUTE_READONLY) ||
            TheMachine().files.loadedImages.count(target) ||
            ShareConflict(target, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
            return Fail(ERROR_ACCESS_DENIED);
    }
    std::string target = to.host;
    if (to.exists && !replaces) {
        // A new spelling of the same name: the name takes the new case.
        size_t cut = to.host.rfind('/');
        target = to.host.substr(0, cut + 1) + EncodeUtf8(to.full.substr(to.full.rfind(L'\\') + 1).c_str());
    }
    if (std::rename(from.host.c_str(), target.c_str()) != 0)
        return Fail(WindowsErrorOf(errno));
    if (replaces)
        ForgetIfGone(to.status);
    RenameOpenFiles(from.full, to.full);
    return TRUE;
}
