// Opening, creating, closing and listing keys.
#include <cstring>

#include "../call_faults.h"
#include "../machine.h"
#include "reg_access.h"
#include "reg_handles.h"

using namespace winsim;

namespace {

const DWORD KNOWN_OPTIONS =
    REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK | REG_OPTION_BACKUP_RESTORE | REG_OPTION_OPEN_LINK;

// The nearest key on the path that exists, links followed: where the first
// missing key would be created.
KeyPtr NearestExisting(const KeyPath &path)
{
    for (size_t length = path.size(); length > 0; --length) {
        KeyPtr key;
        if (WalkPath(KeyPath(path.begin(), path.begin() + static_cast<long>(length)), false, &key) == ERROR_SUCCESS)
            return key;
    }
    return TheMachine().registry;
}

// A key the caller creates is opened with the rights asked for, whatever its
// new DACL says, as on Windows.
LONG CreateAt(const KeyPath &physical, DWORD options, const SECURITY_ATTRIBUTES *attributes, KeyPtr *key,
              LPDWORD disposition, bool *created)
{
    bool createLink = (options & REG_OPTION_CREATE_LINK) != 0;
    *created = false;
    if (WalkPath(physical, createLink, key) == ERROR_SUCCESS) {
        if (disposition)
            *disposition = REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    }
    KeyPtr ancestor = NearestExisting(physical);
    if (!AccessGranted(ancestor->security, KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;
    ObjectSecurity security = InheritedSecurity(*ancestor);
    bool ownerGiven, daclGiven;
    if (attributes && attributes->lpSecurityDescriptor &&
        !ReadDescriptor(attributes->lpSecurityDescriptor, &security, &ownerGiven, &daclGiven))
        return ERROR_INVALID_SECURITY_DESCR;
    LONG status = CreatePath(physical, createLink, createLink, &security, key, created);
    if (status == ERROR_SUCCESS && disposition)
        *disposition = REG_CREATED_NEW_KEY;
    return status;
}

LONG OpenAt(const char *function, const KeyHandle &parent, LPCWSTR lpSubKey, DWORD options, REGSAM sam, bool create,
            const SECURITY_ATTRIBUTES *attributes, HKEY *result, LPDWORD disposition)
{
    KeyPath path = parent.path;
    for (const std::wstring &name : SplitPath(lpSubKey)) {
        if (name.size() > MAX_KEY_NAME)
            return create ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND;
        path.push_back(name);
    }
    KeyPath physical = SubkeyPath(parent, path, sam);
    KeyPtr key;
    bool created = false;
    LONG status = create ? CreateAt(physical, options, attributes, &key, disposition, &created)
                         : WalkPath(physical, (options & REG_OPTION_OPEN_LINK) != 0, &key);
    if (status != ERROR_SUCCESS)
        return status;
    if (LONG fault = KeyFault(function, *key))
        return fault;
    if (!created && !AccessGranted(key->security, sam))
        return ERROR_ACCESS_DENIED;
    *result = OpenKeyHandle(KeyHandle{key, path, KeyRights(sam), parent.mergedClasses});
    return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY *phkResult)
{
    if (LONG fault = EnterCall("RegOpenKeyExW"))
        return fault;
    KeyHandle parent;
    if (!phkResult || (ulOptions & ~KNOWN_OPTIONS))
        return ERROR_INVALID_PARAMETER;
    if (LONG status = LookUpKey(hKey, &parent))
        return status;
    return OpenAt("RegOpenKeyExW", parent, lpSubKey, ulOptions, samDesired, false, nullptr, phkResult, nullptr);
}

LONG WINAPI RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD dwOptions, REGSAM samDesired,
                            const SECURITY_ATTRIBUTES *lpSecurityAttributes, HKEY *phkResult, LPDWORD lpdwDisposition)
{
    if (LONG fault = EnterCall("RegCreateKeyExW"))
        return fault;
    KeyHandle parent;
    if (!phkResult || (dwOptions & ~KNOWN_OPTIONS) || SplitPath(lpSubKey).empty())
        return ERROR_INVALID_PARAMETER;
    if (LONG status = LookUpKey(hKey, &parent))
        return status;
    return OpenAt("RegCreateKeyExW", parent, lpSubKey, dwOptions, samDesired, true, lpSecurityAttributes, phkResult,
                  lpdwDisposition);
}

LONG WINAPI RegCloseKey(HKEY hKey)
{
    if (LONG fault = EnterCall("RegCloseKey"))
        return fault;
    KeyHandle handle;
    if (LookUpKey(hKey, &handle) == ERROR_INVALID_HANDLE)
        return ERROR_INVALID_HANDLE;
    if (LONG fault = KeyFault("RegCloseKey", *handle.key))
        return fault;
    CloseKeyHandle(hKey);
    return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                          LPDWORD lpcchClass, PFILETIME lpftLastWriteTime)
{
    if (LONG fault = EnterCall("RegEnumKeyExW"))
        return fault;
    KeyHandle handle;
    if (LONG status = LookUpKey(hKey, &handle))
        return status;
    if (!(handle.access & KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
    if (!lpName || !lpcchName)
        return ERROR_INVALID_PARAMETER;
    if (dwIndex >= handle.key->subkeys.size())
        return ERROR_NO_MORE_ITEMS;
    const std::wstring &name = handle.key->subkeys[dwIndex]->name;
    if (LONG fault = KeyFault("RegEnumKeyExW", *handle.key, name))
        return fault;
    if (name.size() >= *lpcchName)
        return ERROR_MORE_DATA;
    std::wmemcpy(lpName, name.c_str(), name.size() + 1);
    *lpcchName = static_cast<DWORD>(name.size());
    if (lpClass && lpcchClass && *lpcchClass > 0) {
        lpClass[0] = L'\0';
        *lpcchClass = 0;
    }
    if (lpftLastWriteTime)
        *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LONG WINAPI RegFlushKey(HKEY hKey)
{
    if (LONG fault = EnterCall("RegFlushKey"))
        return fault;
    KeyHandle handle;
    return LookUpKey(hKey, &handle);
}
