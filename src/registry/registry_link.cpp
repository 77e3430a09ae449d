#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/process_state.h"
#include "record/record.h"
#include "registry/registry.h"
#include "report/report.h"
#include "report/tally.h"

namespace {

typedef LONG(WINAPI *ZwDeleteKeyFunction)(HANDLE);
typedef LONG(NTAPI *NtQueryKeyFunction)(HANDLE, int, PVOID, ULONG, PULONG);

const wchar_t LINK_VALUE[] = L"SymbolicLinkValue";
const int KEY_NAME_INFORMATION = 3;
const LONG STATUS_BUFFER_OVERFLOW_CODE = static_cast<LONG>(0x80000005);
const LONG STATUS_BUFFER_TOO_SMALL_CODE = static_cast<LONG>(0xC0000023);

// The kernel's full name of the key behind a handle ("\REGISTRY\MACHINE\..."):
// an error or NT status, 0 with the name.
LONG KernelName(NtQueryKeyFunction queryKey, HKEY hKey, std::wstring *name)
{
    ULONG size = 512;
    for (;;) {
        BYTE *buffer = static_cast<BYTE *>(malloc(size));
        if (!buffer)
            return ERROR_NOT_ENOUGH_MEMORY;
        ULONG needed = 0;
        LONG status = queryKey(hKey, KEY_NAME_INFORMATION, buffer, size, &needed);
        if (status == 0) {
            ULONG length;
            memcpy(&length, buffer, sizeof length);
            name->assign(length / sizeof(WCHAR), L'\0');
            memcpy(&(*name)[0], buffer + sizeof length, length - length % sizeof(WCHAR));
        }
        free(buffer);
        if ((status != STATUS_BUFFER_OVERFLOW_CODE && status != STATUS_BUFFER_TOO_SMALL_CODE) || needed <= size)
            return status;
        size = needed;
    }
}

// Whether the handles name different keys: an error or NT status, 0 with the answer.
LONG NameDifferentKeys(HKEY hOne, HKEY hOther, BOOL *pfDifferent)
{
    HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
    if (!ntdll)
        return static_cast<LONG>(GetLastError());
    NtQueryKeyFunction queryKey =
        reinterpret_cast<NtQueryKeyFunction>(reinterpret_cast<void *>(GetProcAddress(ntdll, "NtQueryKey")));
    LONG status = queryKey ? 0 : static_cast<LONG>(GetLastError());
    std::wstring one, other;
    if (status == 0 && (status = KernelName(queryKey, hOne, &one)) == 0 &&
        (status = KernelName(queryKey, hOther, &other)) == 0)
        *pfDifferent = one != other;
    FreeLibrary(ntdll);
    return status;
}

}  // namespace

// A link is a key made with REG_OPTION_CREATE_LINK: a normal open passes
// through it to its target, or fails when the target is gone. Its value
// "SymbolicLinkValue" alone does not make one, so the value only says which
// keys are worth the comparison.
DWORD IsRegistryLink(HKEY hParent, LPCWSTR lpSubKey, HKEY hKey, BOOL *pfLink)
{
    *pfLink = FALSE;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(hKey, LINK_VALUE, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS || type != REG_LINK)
        return 0;
    HKEY reached;
    LONG status = RegOpenKeyExW(hParent, lpSubKey, 0, KEY_QUERY_VALUE | RegViewFlag, &reached);
    if (status == ERROR_FILE_NOT_FOUND) {
        *pfLink = TRUE;
        return 0;
    }
    if (status == ERROR_SUCCESS) {
        status = NameDifferentKeys(hKey, reached, pfLink);
        RegCloseKey(reached);
    }
    if (status == ERROR_SUCCESS)
        return 0;
    // Untold, it is neither followed nor deleted as an ordinary key.
    *pfLink = TRUE;
    return ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                       "Can not tell whether it is a registry link: %S", lpSubKey);
}

LONG DeleteOpenLink(HKEY hLink)
{
    UndoLink(hLink);
    LONG result = RegDeleteValueW(hLink, LINK_VALUE);
    HMODULE ntdll = LoadLibraryW(L"ntdll.dll");
    if (ntdll) {
        ZwDeleteKeyFunction zwDeleteKey =
            reinterpret_cast<ZwDeleteKeyFunction>(reinterpret_cast<void *>(GetProcAddress(ntdll, "ZwDeleteKey")));
        result = zwDeleteKey ? zwDeleteKey(hLink) : static_cast<LONG>(GetLastError());
        FreeLibrary(ntdll);
    }
    if (result == 0)
        Tally(TALLY_KEYS);
    return result;
}

DWORD DeleteLinkKey(HKEY hRoot, LPCWSTR lpSubKey, DWORD dwMode)
{
    HKEY link;
    if (dwMode != MODE_REMOVE ||
        RegOpenKeyExW(hRoot, lpSubKey, REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS | RegViewFlag, &link) != ERROR_SUCCESS)
        return 0;
    BOOL fLink;
    DWORD result = IsRegistryLink(hRoot, lpSubKey, link, &fLink);
    LONG status = result == 0 && fLink ? DeleteOpenLink(link) : 0;
    RegCloseKey(link);
    if (status != 0)
        result = ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                             "Can not delete registry link: %S", lpSubKey);
    return result;
}
