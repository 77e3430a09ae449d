// Reading, writing and deleting values: the registry keeps what Windows
// would keep for the caller's data, and gives it back in the caller's form.
#include <cstring>

#include "../call_faults.h"
#include "../machine.h"
#include "reg_handles.h"
#include "value_data.h"

using namespace winsim;

namespace {

LONG KeyWithRight(HKEY hKey, ACCESS_MASK right, KeyHandle *handle)
{
    if (LONG status = LookUpKey(hKey, handle))
        return status;
    return (handle->access & right) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// The value's data into the caller's buffer, or the size it needs in the
// caller's form.
LONG CopyData(const RegValue &value, BYTE *lpData, LPDWORD lpcbData)
{
    if (!lpcbData)
        return lpData ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    std::vector<BYTE> data = CallerData(value.type, value.data);
    DWORD size = static_cast<DWORD>(data.size());
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData && size)
        std::memcpy(lpData, data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD, LPDWORD lpType,
                          BYTE *lpData, LPDWORD lpcbData)
{
    if (LONG fault = EnterCall("RegEnumValueW"))
        return fault;
    KeyHandle handle;
    if (LONG status = KeyWithRight(hKey, KEY_QUERY_VALUE, &handle))
        return status;
    if (!lpValueName || !lpcchValueName)
        return ERROR_INVALID_PARAMETER;
    if (dwIndex >= handle.key->values.size())
        return ERROR_NO_MORE_ITEMS;
    const RegValue &value = handle.key->values[dwIndex];
    if (LONG fault = KeyFault("RegEnumValueW", *handle.key, value.name))
        return fault;
    if (value.name.size() >= *lpcchValueName)
        return ERROR_MORE_DATA;
    std::wmemcpy(lpValueName, value.name.c_str(), value.name.size() + 1);
    *lpcchValueName = static_cast<DWORD>(value.name.size());
    if (lpType)
        *lpType = value.type;
    return CopyData(value, lpData, lpcbData);
}

LONG WINAPI RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, BYTE *lpData, LPDWORD lpcbData)
{
    if (LONG fault = EnterCall("RegQueryValueExW"))
        return fault;
    KeyHandle handle;
    if (LONG status = KeyWithRight(hKey, KEY_QUERY_VALUE, &handle))
        return status;
    const RegValue *value = FindValue(*handle.key, lpValueName ? lpValueName : L"");
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (lpType)
        *lpType = value->type;
    return CopyData(*value, lpData, lpcbData);
}

LONG WINAPI RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData, DWORD cbData)
{
    if (LONG fault = EnterCall("RegSetValueExW"))
        return fault;
    KeyHandle handle;
    if (LONG status = KeyWithRight(hKey, KEY_SET_VALUE, &handle))
        return status;
    std::wstring name = lpValueName ? lpValueName : L"";
    if (name.size() > MAX_VALUE_NAME || (cbData && !lpData))
        return ERROR_INVALID_PARAMETER;
    SetValue(*handle.key, name, dwType, StoredData(dwType, lpData, cbData));
    return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    if (LONG fault = EnterCall("RegDeleteValueW"))
        return fault;
    KeyHandle handle;
    if (LONG status = KeyWithRight(hKey, KEY_SET_VALUE, &handle))
        return status;
    if (LONG fault = KeyFault("RegDeleteValueW", *handle.key, lpValueName ? lpValueName : L""))
        return fault;
    std::vector<RegValue> &values = handle.key->values;
    for (auto value = values.begin(); value != values.end(); ++value) {
        if (SameName(value->name, lpValueName ? lpValueName : L"")) {
            values.erase(value);
            return ERROR_SUCCESS;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}
