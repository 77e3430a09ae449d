// The simulated file system's inner calls, shared by the files that simulate
// the Win32 file calls: Windows' path rules over the host folder of drive C:.
#pragma once

#include <sys/stat.h>

#include <string>

#include "machine.h"

namespace winsim {

// Windows' full path of a path: backslashes, "." and ".." resolved against
// the current folder C:\; a trailing backslash is kept.
std::wstring WindowsFullPath(const wchar_t *path);

// A path as Windows reads it, and where it lies on the host.
struct ResolvedPath {
    std::wstring full;  // after WOW64 redirection, without a trailing backslash
    std::string host;
    bool trailingBackslash;
    bool exists;
    struct stat status;  // of the item itself, a junction not followed
};
// The error that Windows gives for what the host refused with this errno.
DWORD WindowsErrorOf(int hostError);

// 0 with the item found or not, or the error that Windows gives for a path
// whose folders are missing, whose name is invalid or too long, or that the
// host refuses to look up.
DWORD ResolvePath(const wchar_t *path, ResolvedPath &resolved);

NodeId NodeOf(const struct stat &status);
bool IsFolder(const ResolvedPath &item);
bool IsJunction(const ResolvedPath &item);
DWORD AttributesOf(const struct stat &status);
// Only the attributes that Windows lets a program set are kept.
void KeepAttributes(NodeId node, DWORD attributes);
// Called when the host no longer has the node.
void ForgetNode(NodeId node);
// The security that an item made with these attributes gets; false for a
// malformed descriptor.
bool SecurityGiven(const SECURITY_ATTRIBUTES *attributes, ObjectSecurity *security);

// 0, or ERROR_SHARING_VIOLATION when an open handle's share mode refuses the
// access asked for, or the new share mode refuses an open handle's access.
DWORD ShareConflict(NodeId node, DWORD access, DWORD share);
// Whether a file under the host folder is open: Windows then refuses to
// rename the folder.
bool HasOpenFilesUnder(const std::string &hostFolder);
bool CloseFileHandle(HANDLE handle);

// The full path that a handle opened through the path names, as the file
// system keeps it: the path as given (after WOW64 redirection), with every
// junction on the way, and the item itself when followLast, replaced by
// its target.
std::wstring OpenedName(const ResolvedPath &item, bool followLast);
// A rename carries the names of the handles open on the item or under it.
void RenameOpenFiles(const std::wstring &from, const std::wstring &to);
// ntdll's NtQueryInformationFile; of its classes only FileNameInformation.
LONG NTAPI SimNtQueryInformationFile(HANDLE FileHandle, PVOID IoStatusBlock, PVOID FileInformation, ULONG Length,
                                     int FileInformationClass);

// Case-insensitive match with * and ?, as FindFirstFileW matches names.
bool MatchesPattern(const std::wstring &name, const std::wstring &pattern);
std::wstring Uppercase(const std::wstring &text);

// The one place where delete-at-restart records are made: the path and the
// new name as Windows keeps them ("\??\" before each path, "" for deletion).
void RecordPendingFileRename(const std::wstring &from, const std::wstring &to);

}  // namespace winsim
