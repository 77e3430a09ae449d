#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "record/run_record.h"

namespace {

typedef LONG(WINAPI *NtQueryKeyFunction)(HANDLE, int, PVOID, ULONG, PULONG);

const int KEY_NAME_INFORMATION_CLASS = 3;
const LONG STATUS_BUFFER_OVERFLOW_CODE = static_cast<LONG>(0x80000005);
const LONG STATUS_BUFFER_TOO_SMALL_CODE = static_cast<LONG>(0xC0000023);
const wchar_t MACHINE[] = L"\\REGISTRY\\MACHINE";
const wchar_t USERS[] = L"\\REGISTRY\\USER";

// Whether name starts with prefix (in any case) followed by its end or a backslash.
bool Below(const std::wstring &name, const std::wstring &prefix)
{
    return name.size() >= prefix.size() && _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) == 0 &&
           (name.size() == prefix.size() || name[prefix.size()] == L'\\');
}

// ntdll is in every process, so its address stays valid for the process's life.
NtQueryKeyFunction QueryKeyFunction()
{
    static NtQueryKeyFunction queryKey = nullptr;
    HMODULE ntdll;
    if (!queryKey && (ntdll = GetModuleHandleW(L"ntdll.dll")) != nullptr)
        queryKey = reinterpret_cast<NtQueryKeyFunction>(reinterpret_cast<void *>(GetProcAddress(ntdll, "NtQueryKey")));
    return queryKey;
}

}  // namespace

BOOL CanNameKeys()
{
    return QueryKeyFunction() != nullptr;
}

LONG KernelKeyName(HKEY hKey, std::wstring *name)
{
    NtQueryKeyFunction queryKey = QueryKeyFunction();
    if (!queryKey)
        return ERROR_PROC_NOT_FOUND;
    ULONG size = 1024;
    for (int attempt = 0; attempt < 2; ++attempt) {
        BYTE *buffer = static_cast<BYTE *>(malloc(size));
        if (!buffer)
            return ERROR_NOT_ENOUGH_MEMORY;
        ULONG needed = 0;
        LONG status = queryKey(hKey, KEY_NAME_INFORMATION_CLASS, buffer, size, &needed);
        if (status == 0) {
            ULONG length;
            memcpy(&length, buffer, sizeof length);
            name->clear();
            for (ULONG i = 0; i < length / sizeof(WCHAR); ++i) {
                WCHAR c;
                memcpy(&c, buffer + sizeof length + i * sizeof(WCHAR), sizeof c);
                name->push_back(c);
            }
            free(buffer);
            return 0;
        }
        free(buffer);
        if ((status != STATUS_BUFFER_OVERFLOW_CODE && status != STATUS_BUFFER_TOO_SMALL_CODE) || needed <= size)
            return status;
        size = needed;
    }
    return STATUS_BUFFER_OVERFLOW_CODE;
}

LONG RealKeyPath(HKEY hKey, std::wstring *lpPath)
{
    std::wstring name;
    if (LONG status = KernelKeyName(hKey, &name))
        return status;
    if (Below(name, MACHINE))
        *lpPath = L"HKEY_LOCAL_MACHINE" + name.substr(wcslen(MACHINE));
    else if (Below(name, USERS))
        *lpPath = L"HKEY_USERS" + name.substr(wcslen(USERS));
    else
        return ERROR_BAD_PATHNAME;
    return 0;
}
