// Open files: share modes as Windows checks them, reading and writing through
// a host descriptor that stays with the file when it is renamed.
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "call_faults.h"
#include "file_system.h"

namespace winsim {
namespace {

const DWORD READ_ACCESS = GENERIC_READ | 0x0001 | 0x0020;    // FILE_READ_DATA, FILE_EXECUTE
const DWORD WRITE_ACCESS = GENERIC_WRITE | 0x0002 | 0x0004;  // FILE_WRITE_DATA, FILE_APPEND_DATA

bool Refuses(DWORD access, DWORD share)
{
    return ((access & READ_ACCESS) && !(share & FILE_SHARE_READ)) ||
           ((access & WRITE_ACCESS) && !(share & FILE_SHARE_WRITE)) ||
           ((access & DELETE) && !(share & FILE_SHARE_DELETE));
}

OpenFile *FindOpenFile(HANDLE handle)
{
    auto found = TheMachine().files.openFiles.find(handle);
    return found == TheMachine().files.openFiles.end() ? nullptr : &found->second;
}

// The open file behind a handle opened with the access asked for, or null
// with the last error set.
OpenFile *FileOpenFor(HANDLE handle, DWORD access)
{
    OpenFile *open = FindOpenFile(handle);
    if (!open || !(open->access & access)) {
        SetLastError(open ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return open;
}

}  // namespace

DWORD ShareConflict(NodeId node, DWORD access, DWORD share)
{
    for (const auto &entry : TheMachine().files.openFiles) {
        const OpenFile &open = entry.second;
        if (!(open.node < node) && !(node < open.node) && (Refuses(access, open.share) || Refuses(open.access, share)))
            return ERROR_SHARING_VIOLATION;
    }
    return 0;
}

bool HasOpenFilesUnder(const std::string &hostFolder)
{
    if (TheMachine().files.openFiles.empty())
        return false;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(hostFolder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        struct stat status;
        if (lstat(it->path().c_str(), &status) != 0)
            continue;
        for (const auto &entry : TheMachine().files.openFiles) {
            NodeId node = NodeOf(status);
            if (!(entry.second.node < node) && !(node < entry.second.node))
                return true;
        }
    }
    return false;
}

bool CloseFileHandle(HANDLE handle)
{
    OpenFile *open = FindOpenFile(handle);
    if (!open)
        return false;
    close(open->descriptor);
    TheMachine().files.openFiles.erase(handle);
    return true;
}

}  // namespace winsim

using namespace winsim;

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    if (LONG fault = EnterCall("CreateFileW")) {
        SetLastError(static_cast<DWORD>(fault));
        return INVALID_HANDLE_VALUE;
    }
    ResolvedPath item;
    DWORD error = ResolvePath(lpFileName, item);
    // A name that ends in a backslash names a folder, never a file.
    if (!error && item.trailingBackslash)
        error = item.exists ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME;
    bool wantsWrite = (dwDesiredAccess & WRITE_ACCESS) != 0;
    if (!error && item.exists) {
        DWORD attributes = AttributesOf(item.status);
        if (dwCreationDisposition == CREATE_NEW)
            error = ERROR_FILE_EXISTS;
        else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS))
            error = ERROR_ACCESS_DENIED;
        else if ((attributes & FILE_ATTRIBUTE_READONLY) &&
                 (wantsWrite || dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING))
            error = ERROR_ACCESS_DENIED;
        else if (wantsWrite && TheMachine().files.loadedImages.count(NodeOf(item.status)))
            error = ERROR_SHARING_VIOLATION;
        else
            error = ShareConflict(NodeOf(item.status), dwDesiredAccess, dwShareMode);
    } else if (!error && (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING)) {
        error = ERROR_FILE_NOT_FOUND;
    }
    if (error) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }

    int flags = wantsWrite ? ((dwDesiredAccess & READ_ACCESS) ? O_RDWR : O_WRONLY) : O_RDONLY;
    if (!item.exists)
        flags |= O_CREAT;
    if (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING)
        flags |= O_TRUNC | (wantsWrite ? 0 : O_RDWR);
    // A junction opened as the item itself, not followed to its target.
    bool linkItself = IsJunction(item) && (dwFlagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT);
    if (linkItself)
        flags = O_PATH | O_NOFOLLOW;
    int descriptor = open(item.host.c_str(), flags, 0644);
    struct stat status;
    if (descriptor < 0 || fstat(descriptor, &status) != 0) {
        DWORD refusal = WindowsErrorOf(errno);
        if (descriptor >= 0)
            close(descriptor);
        SetLastError(refusal);
        return INVALID_HANDLE_VALUE;
    }
    if (!item.exists)
        KeepAttributes(NodeOf(status), (dwFlagsAndAttributes & 0xFFFF) | FILE_ATTRIBUTE_ARCHIVE);
    HANDLE handle = reinterpret_cast<HANDLE>(TheMachine().nextHandle += 4);
    TheMachine().files.openFiles[handle] =
        OpenFile{NodeOf(status), dwDesiredAccess, dwShareMode, descriptor, OpenedName(item, !linkItself)};
    // Windows says when an existing file was opened by a call that may create.
    bool mayCreate = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
    SetLastError(item.exists && mayCreate ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED)
{
    OpenFile *open = FileOpenFor(hFile, READ_ACCESS);
    if (!open)
        return FALSE;
    DWORD total = 0;
    while (total < nNumberOfBytesToRead) {
        ssize_t got = read(open->descriptor, static_cast<char *>(lpBuffer) + total, nNumberOfBytesToRead - total);
        if (got <= 0)
            break;
        total += static_cast<DWORD>(got);
    }
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = total;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED)
{
    if (LONG fault = EnterCall("WriteFile")) {
        // A volume that fills up takes the first half of the write, as a
        // host file system does.
        OpenFile *open = fault == ERROR_DISK_FULL ? FileOpenFor(hFile, WRITE_ACCESS) : nullptr;
        if (open && write(open->descriptor, lpBuffer, nNumberOfBytesToWrite / 2) < 0)
            fault = static_cast<LONG>(WindowsErrorOf(errno));
        SetLastError(static_cast<DWORD>(fault));
        return FALSE;
    }
    OpenFile *open = FileOpenFor(hFile, WRITE_ACCESS);
    if (!open)
        return FALSE;
    ssize_t written = write(open->descriptor, lpBuffer, nNumberOfBytesToWrite);
    if (written < 0) {
        SetLastError(WindowsErrorOf(errno));
        return FALSE;
    }
    if (lpNumberOfBytesWritten)
        *lpNumberOfBytesWritten = static_cast<DWORD>(written);
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG *lpDistanceToMoveHigh, DWORD dwMoveMethod)
{
    OpenFile *open = FindOpenFile(hFile);
    if (!open) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    long long distance = lpDistanceToMoveHigh
                             ? static_cast<long long>((static_cast<unsigned long long>(*lpDistanceToMoveHigh) << 32) |
                                                      static_cast<DWORD>(lDistanceToMove))
                             : lDistanceToMove;
    const int whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    off_t at = dwMoveMethod <= FILE_END ? lseek(open->descriptor, distance, whence[dwMoveMethod]) : -1;
    if (at < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh)
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<unsigned long long>(at) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(at);
}

BOOL WINAPI SetEndOfFile(HANDLE hFile)
{
    OpenFile *open = FileOpenFor(hFile, WRITE_ACCESS);
    if (!open)
        return FALSE;
    off_t at = lseek(open->descriptor, 0, SEEK_CUR);
    if (at < 0 || ftruncate(open->descriptor, at) != 0) {
        SetLastError(WindowsErrorOf(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile)
{
    if (LONG fault = EnterCall("FlushFileBuffers")) {
        SetLastError(static_cast<DWORD>(fault));
        return FALSE;
    }
    OpenFile *open = FileOpenFor(hFile, WRITE_ACCESS);
    if (!open)
        return FALSE;
    if (fsync(open->descriptor) != 0) {
        SetLastError(WindowsErrorOf(errno));
        return FALSE;
    }
    return TRUE;
}
