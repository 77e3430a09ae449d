// Where an item really is. A 32-bit process on 64-bit Windows reaches the
// system folder through WOW64 redirection, which the path it gives does not
// show; the name of an open handle on its volume does. ntdll's
// NtQueryInformationFile gives it on every Windows since XP.
#include <vector>

#include "files/files.h"

namespace {

const int FILE_NAME_INFORMATION_CLASS = 9;
const LONG STATUS_BUFFER_OVERFLOW_CODE = static_cast<LONG>(0x80000005);
// FILE_NAME_INFORMATION: the name's length in bytes, then the name.
const ULONG NAME_LENGTH_FIELD = sizeof(ULONG);

struct IoStatusBlock {
    union {
        LONG status;
        PVOID pointer;
    };
    ULONG_PTR information;
};
typedef LONG(WINAPI *NtQueryInformationFileFunction)(HANDLE, IoStatusBlock *, PVOID, ULONG, int);

NtQueryInformationFileFunction LookUpQuery()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll");
    return ntdll ? reinterpret_cast<NtQueryInformationFileFunction>(
                       reinterpret_cast<void *>(GetProcAddress(ntdll, "NtQueryInformationFile")))
                 : nullptr;
}

// The handle's name on its volume, asked again with room for all of it when
// the first answer was cut short.
bool NameOnVolume(NtQueryInformationFileFunction query, HANDLE item, std::wstring *name)
{
    std::vector<BYTE> buffer(NAME_LENGTH_FIELD + MAX_PATH * sizeof(WCHAR));
    for (int attempt = 0; attempt < 2; ++attempt) {
        IoStatusBlock io = {};
        LONG status = query(item, &io, buffer.data(), static_cast<ULONG>(buffer.size()), FILE_NAME_INFORMATION_CLASS);
        ULONG length;
        memcpy(&length, buffer.data(), sizeof length);
        if (status == STATUS_BUFFER_OVERFLOW_CODE) {
            buffer.resize(NAME_LENGTH_FIELD + length);
            continue;
        }
        if (status != 0)
            return false;
        name->clear();
        for (ULONG i = 0; i < length / sizeof(WCHAR); ++i) {
            WCHAR c;
            memcpy(&c, buffer.data() + NAME_LENGTH_FIELD + i * sizeof(WCHAR), sizeof c);
            name->push_back(c);
        }
        return true;
    }
    return false;
}

bool LookUpRealPath(LPCWSTR lpPath, std::wstring *lpRealPath)
{
    NtQueryInformationFileFunction query = LookUpQuery();
    WCHAR full[MAX_PATH];
    DWORD length = GetFullPathNameW(lpPath, MAX_PATH, full, nullptr);
    if (!query || length < 2 || length >= MAX_PATH || full[1] != L':')
        return false;
    // Opened for nothing but its attributes, it stays free for every other
    // use; a folder needs backup semantics, a link is named, not followed.
    HANDLE item =
        CreateFileW(lpPath, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (item == INVALID_HANDLE_VALUE)
        return false;
    std::wstring name;
    bool named = NameOnVolume(query, item, &name);
    CloseHandle(item);
    if (!named || name.empty() || name[0] != L'\\')
        return false;
    *lpRealPath = std::wstring(full, 2) + name;
    return true;
}

}  // namespace

// The lookup is for the notes alone: it leaves the last error as it found
// it, so that what the run reports next does not change.
bool RealPathOf(LPCWSTR lpPath, std::wstring *lpRealPath)
{
    DWORD lastError = GetLastError();
    bool found = LookUpRealPath(lpPath, lpRealPath);
    SetLastError(lastError);
    return found;
}
