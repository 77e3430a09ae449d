// A value's bytes as the registry keeps them, for tests that must see or
// plant exactly what Windows would hold; no call is counted or failed.
#include "reg_handles.h"

namespace winsim {

LONG SetStoredValue(HKEY hKey, const wchar_t *name, DWORD type, const std::vector<BYTE> &data)
{
    KeyHandle handle;
    if (LONG status = LookUpKey(hKey, &handle))
        return status;
    SetValue(*handle.key, name, type, data);
    return ERROR_SUCCESS;
}

LONG GetStoredValue(HKEY hKey, const wchar_t *name, DWORD *type, std::vector<BYTE> *data)
{
    KeyHandle handle;
    if (LONG status = LookUpKey(hKey, &handle))
        return status;
    const RegValue *value = FindValue(*handle.key, name);
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    *type = value->type;
    *data = value->data;
    return ERROR_SUCCESS;
}

}  // namespace winsim
