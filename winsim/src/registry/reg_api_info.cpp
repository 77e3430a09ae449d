// RegQueryInfoKeyW: how many subkeys and values a key holds and the longest
// names and data among them, as Windows counts them (names in characters
// without the terminator, data in the caller's bytes). The simulated keys
// have no class, no time of last write and no descriptor size: they read
// as empty and 0.
#include <algorithm>

#include "../call_faults.h"
#include "../machine.h"
#include "reg_handles.h"
#include "value_data.h"

using namespace winsim;

namespace {

void Store(LPDWORD target, size_t value)
{
    if (target)
        *target = static_cast<DWORD>(value);
}

}  // namespace

LONG WINAPI RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             PFILETIME lpftLastWriteTime)
{
    if (LONG fault = EnterCall("RegQueryInfoKeyW"))
        return fault;
    KeyHandle handle;
    if (LONG status = LookUpKey(hKey, &handle))
        return status;
    if (!(handle.access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const RegKey &key = *handle.key;
    if (lpClass && lpcchClass && *lpcchClass)
        lpClass[0] = L'\0';
    Store(lpcchClass, 0);
    Store(lpcbMaxClassLen, 0);
    size_t longestKey = 0;
    for (const KeyPtr &child : key.subkeys)
        longestKey = std::max(longestKey, child->name.size());
    size_t longestName = 0;
    size_t longestData = 0;
    for (const RegValue &value : key.values) {
        longestName = std::max(longestName, value.name.size());
        longestData = std::max(longestData, CallerData(value.type, value.data).size());
    }
    Store(lpcSubKeys, key.subkeys.size());
    Store(lpcbMaxSubKeyLen, longestKey);
    Store(lpcValues, key.values.size());
    Store(lpcbMaxValueNameLen, longestName);
    Store(lpcbMaxValueLen, longestData);
    Store(lpcbSecurityDescriptor, 0);
    if (lpftLastWriteTime)
        *lpftLastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
}
