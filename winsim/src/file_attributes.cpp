// Attributes that host files have no place for, kept by the machine per file
// so that they follow renames.
#include "call_faults.h"
#include "file_system.h"

namespace winsim {
namespace {

const DWORD SETTABLE_ATTRIBUTES = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY;

}  // namespace

DWORD AttributesOf(const struct stat &status)
{
    const std::map<NodeId, DWORD> &kept = TheMachine().files.attributes;
    auto found = kept.find(NodeOf(status));
    DWORD attributes = 0;
    if (found != kept.end())
        attributes = found->second;
    else if (S_ISREG(status.st_mode))
        attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (S_ISLNK(status.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    else if (S_ISDIR(status.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

void KeepAttributes(NodeId node, DWORD attributes)
{
    TheMachine().files.attributes[node] = attributes & SETTABLE_ATTRIBUTES;
}

void ForgetNode(NodeId node)
{
    TheMachine().files.attributes.erase(node);
    TheMachine().files.loadedImages.erase(node);
    TheMachine().files.security.erase(node);
}

}  // namespace winsim

using namespace winsim;

DWORD WINAPI GetFileAttributesW(LPCWSTR lpFileName)
{
    if (LONG fault = EnterCall("GetFileAttributesW")) {
        SetLastError(static_cast<DWORD>(fault));
        return INVALID_FILE_ATTRIBUTES;
    }
    ResolvedPath item;
    DWORD error = ResolvePath(lpFileName, item);
    if (!error && !item.exists)
        error = ERROR_FILE_NOT_FOUND;
    if (error) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(item.status);
}

BOOL WINAPI SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes)
{
    if (LONG fault = EnterCall("SetFileAttributesW")) {
        SetLastError(static_cast<DWORD>(fault));
        return FALSE;
    }
    ResolvedPath item;
    DWORD error = ResolvePath(lpFileName, item);
    if (!error && !item.exists)
        error = ERROR_FILE_NOT_FOUND;
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    KeepAttributes(NodeOf(item.status), dwFileAttributes);
    return TRUE;
}
