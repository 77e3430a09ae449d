// The machine's name, as Windows reads it at start from the registry, and
// the name of the account the program runs as.
#include <cwchar>
#include <string>

#include "security_ids.h"
#include "winsim/windows.h"

using namespace winsim;

namespace {

BOOL CopyName(const std::wstring &name, LPWSTR lpBuffer, LPDWORD nSize, DWORD shortBuffer)
{
    if (!lpBuffer || !nSize || *nSize <= name.size()) {
        if (nSize)
            *nSize = static_cast<DWORD>(name.size() + 1);
        SetLastError(shortBuffer);
        return FALSE;
    }
    std::wmemcpy(lpBuffer, name.c_str(), name.size() + 1);
    *nSize = static_cast<DWORD>(name.size());
    return TRUE;
}

}  // namespace

BOOL WINAPI GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize)
{
    HKEY key;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
                                0, KEY_QUERY_VALUE, &key);
    WCHAR name[MAX_COMPUTERNAME_LENGTH + 2] = L"";
    DWORD size = sizeof name - sizeof(WCHAR);
    DWORD type = REG_NONE;
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExW(key, L"ComputerName", nullptr, &type, reinterpret_cast<BYTE *>(name), &size);
        RegCloseKey(key);
    }
    if (status == ERROR_SUCCESS && type != REG_SZ)
        status = ERROR_FILE_NOT_FOUND;
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return FALSE;
    }
    return CopyName(name, lpBuffer, nSize, ERROR_BUFFER_OVERFLOW);
}

BOOL WINAPI GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer)
{
    SidBytes user = UserSid();
    std::wstring name = user == LocalSystemSid()   ? L"SYSTEM"
                        : user == DefaultUserSid() ? L"Administrator"
                                                   : SidText(user);
    return CopyName(name, lpBuffer, pcbBuffer, ERROR_INSUFFICIENT_BUFFER);
}
