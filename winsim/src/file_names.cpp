// The names of open files as the file system keeps them, and ntdll's
// NtQueryInformationFile, which gives a handle's name on its volume: the path
// that was opened after WOW64 redirection and junctions, without the drive,
// in the caller's wide characters (FileNameLength counts their bytes),
// carried along when the item or a folder above it is renamed.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "call_faults.h"
#include "file_system.h"
#include "winsim/utf8.h"

namespace winsim {
namespace {

const int FILE_NAME_INFORMATION_CLASS = 9;
const ULONG NAME_LENGTH_FIELD = sizeof(ULONG);
const LONG STATUS_BUFFER_OVERFLOW = static_cast<LONG>(0x80000005);
const LONG STATUS_INVALID_INFO_CLASS = static_cast<LONG>(0xC0000003);
const LONG STATUS_INFO_LENGTH_MISMATCH = static_cast<LONG>(0xC0000004);
const LONG STATUS_INVALID_HANDLE = static_cast<LONG>(0xC0000008);

struct IoStatusBlock {
    union {
        LONG status;
        PVOID pointer;
    };
    ULONG_PTR information;
};

// The Windows path of a junction's target on drive C:, empty when it lies
// outside the drive.
std::wstring TargetOf(const std::string &hostLink)
{
    std::error_code error;
    std::filesystem::path target = std::filesystem::weakly_canonical(hostLink, error);
    std::filesystem::path drive = std::filesystem::weakly_canonical(TheMachine().files.driveFolder, error);
    std::string inside = target.string();
    std::string root = drive.string();
    if (error || inside.compare(0, root.size(), root) != 0 ||
        (inside.size() > root.size() && inside[root.size()] != '/'))
        return L"";
    std::wstring path = L"C:" + DecodeUtf8(inside.substr(root.size()).c_str());
    for (wchar_t &c : path)
        if (c == L'/')
            c = L'\\';
    return path.size() == 2 ? path + L"\\" : path;
}

bool IsUnder(const std::wstring &path, const std::wstring &folder)
{
    return Uppercase(path.substr(0, folder.size())) == Uppercase(folder) &&
           (path.size() == folder.size() || path[folder.size()] == L'\\');
}

}  // namespace

std::wstring OpenedName(const ResolvedPath &item, bool followLast)
{
    std::wstring name = item.full.substr(0, 2);
    std::string host = TheMachine().files.driveFolder;
    size_t nameAt = 3;
    size_t hostAt = host.size() + 1;
    while (nameAt <= item.full.size() && hostAt <= item.host.size()) {
        size_t nameEnd = item.full.find(L'\\', nameAt);
        size_t hostEnd = item.host.find('/', hostAt);
        bool last = nameEnd == std::wstring::npos;
        name += L"\\" + item.full.substr(nameAt, last ? std::wstring::npos : nameEnd - nameAt);
        host = item.host.substr(0, hostEnd);
        struct stat status;
        if ((!last || followLast) && lstat(host.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
            std::wstring target = TargetOf(host);
            if (!target.empty())
                name = target.back() == L'\\' ? target.substr(0, target.size() - 1) : target;
        }
        if (last)
            break;
        nameAt = nameEnd + 1;
        hostAt = hostEnd + 1;
    }
    return name.size() == 2 ? name + L"\\" : name;
}

void RenameOpenFiles(const std::wstring &from, const std::wstring &to)
{
    for (auto &entry : TheMachine().files.openFiles) {
        std::wstring &name = entry.second.name;
        if (IsUnder(name, from))
            name = to + name.substr(from.size());
    }
}

LONG NTAPI SimNtQueryInformationFile(HANDLE FileHandle, PVOID IoStatusBlockPointer, PVOID FileInformation, ULONG Length,
                                     int FileInformationClass)
{
    if (LONG fault = EnterCall("NtQueryInformationFile"))
        return fault;
    auto open = TheMachine().files.openFiles.find(FileHandle);
    if (open == TheMachine().files.openFiles.end())
        return STATUS_INVALID_HANDLE;
    if (FileInformationClass != FILE_NAME_INFORMATION_CLASS)
        return STATUS_INVALID_INFO_CLASS;
    if (Length < NAME_LENGTH_FIELD + sizeof(WCHAR))
        return STATUS_INFO_LENGTH_MISMATCH;
    std::wstring name = open->second.name.substr(2);
    ULONG nameLength = static_cast<ULONG>(name.size() * sizeof(WCHAR));
    BYTE *out = static_cast<BYTE *>(FileInformation);
    std::memcpy(out, &nameLength, NAME_LENGTH_FIELD);
    ULONG copied = std::min(nameLength, Length - NAME_LENGTH_FIELD);
    std::memcpy(out + NAME_LENGTH_FIELD, name.data(), copied);
    IoStatusBlock *io = static_cast<IoStatusBlock *>(IoStatusBlockPointer);
    io->status = copied < nameLength ? STATUS_BUFFER_OVERFLOW : 0;
    io->information = NAME_LENGTH_FIELD + copied;
    return io->status;
}

}  // namespace winsim
