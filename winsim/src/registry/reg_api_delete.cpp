// Deleting keys: RegDeleteKeyW, and the entry points looked up at run time,
// RegDeleteKeyExW of advapi32 and ZwDeleteKey of ntdll.
#include "reg_api_delete.h"

#include "../call_faults.h"
#include "../machine.h"
#include "reg_access.h"
#include "reg_handles.h"

namespace winsim {
namespace {

const LONG STATUS_ACCESS_DENIED = static_cast<LONG>(0xC0000022);
const LONG STATUS_CANNOT_DELETE = static_cast<LONG>(0xC0000121);

// Links on the way and at the end are followed: deleting a link's name
// deletes its target, as on Windows.
LONG DeleteInView(const char *function, HKEY hKey, LPCWSTR lpSubKey, REGSAM view)
{
    KeyHandle parent;
    if (LONG status = LookUpKey(hKey, &parent))
        return status;
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    KeyPath path = parent.path;
    for (const std::wstring &name : SplitPath(lpSubKey))
        path.push_back(name);
    KeyPtr key;
    if (LONG status = WalkPath(SubkeyPath(parent, path, view), false, &key))
        return status;
    if (LONG fault = KeyFault(function, *key))
        return fault;
    if (!AccessGranted(key->security, DELETE) || !key->subkeys.empty() || !key->parent)
        return ERROR_ACCESS_DENIED;
    DetachKey(*key);
    return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI SimRegDeleteKeyExW(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, DWORD)
{
    if (LONG fault = EnterCall("RegDeleteKeyExW"))
        return fault;
    return DeleteInView("RegDeleteKeyExW", hKey, lpSubKey, samDesired & (KEY_WOW64_32KEY | KEY_WOW64_64KEY));
}

LONG WINAPI SimZwDeleteKey(HANDLE KeyHandle)
{
    if (LONG fault = EnterCall("ZwDeleteKey"))
        return fault;
    winsim::KeyHandle handle;
    if (LONG status = LookUpNtKey(KeyHandle, &handle))
        return status;
    if (!(handle.access & DELETE))
        return STATUS_ACCESS_DENIED;
    if (LONG fault = KeyFault("ZwDeleteKey", *handle.key))
        return fault;
    if (!handle.key->subkeys.empty())
        return STATUS_CANNOT_DELETE;
    DetachKey(*handle.key);
    return 0;
}

}  // namespace winsim

LONG WINAPI RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey)
{
    if (LONG fault = winsim::EnterCall("RegDeleteKeyW"))
        return fault;
    return winsim::DeleteInView("RegDeleteKeyW", hKey, lpSubKey, 0);
}
