// The one place where a host call's errno becomes the error that Windows
// gives for the same refusal; one that the table does not name is a refusal
// all the same: access denied.
#include <cerrno>

#include "file_system.h"

namespace winsim {
namespace {

struct HostError {
    int host;
    DWORD windows;
};

const HostError hostErrors[] = {
    {EACCES, ERROR_ACCESS_DENIED},  // permission bits, another user's file
    {EPERM, ERROR_ACCESS_DENIED},   // an immutable or append-only file
    {EISDIR, ERROR_ACCESS_DENIED},  // a folder opened as a file
    {EROFS, ERROR_WRITE_PROTECT},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},  // a name of over 255 bytes in UTF-8
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},        // junctions that lead to each other
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EEXIST, ERROR_ALREADY_EXISTS},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {EBUSY, ERROR_SHARING_VIOLATION},    // a mount point
    {ETXTBSY, ERROR_SHARING_VIOLATION},  // a program that runs
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EIO, ERROR_IO_DEVICE},
    {EINVAL, ERROR_INVALID_PARAMETER},
};

}  // namespace

DWORD WindowsErrorOf(int hostError)
{
    for (const HostError &known : hostErrors)
        if (known.host == hostError)
            return known.windows;
    return ERROR_ACCESS_DENIED;
}

}  // namespace winsim
