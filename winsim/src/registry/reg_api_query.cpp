// NtQueryKey's KeyNameInformation: the full name of the key that a handle
// really names, from \REGISTRY down, as the names are stored, in the
// caller's wide characters (NameLength counts their bytes). It needs no
// access right on the handle. Of the other classes none is answered.
#include "reg_api_query.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "../call_faults.h"
#include "../machine.h"
#include "reg_handles.h"

namespace winsim {
namespace {

const int KEY_NAME_INFORMATION_CLASS = 3;
const ULONG NAME_LENGTH_FIELD = sizeof(ULONG);
const LONG STATUS_BUFFER_OVERFLOW = static_cast<LONG>(0x80000005);
const LONG STATUS_ACCESS_VIOLATION = static_cast<LONG>(0xC0000005);
const LONG STATUS_INVALID_PARAMETER = static_cast<LONG>(0xC000000D);
const LONG STATUS_BUFFER_TOO_SMALL = static_cast<LONG>(0xC0000023);

}  // namespace

LONG NTAPI SimNtQueryKey(HANDLE KeyHandle, int KeyInformationClass, PVOID KeyInformation, ULONG Length,
                         PULONG ResultLength)
{
    if (LONG fault = EnterCall("NtQueryKey"))
        return fault;
    if (KeyInformationClass != KEY_NAME_INFORMATION_CLASS)
        return STATUS_INVALID_PARAMETER;
    winsim::KeyHandle handle;
    if (LONG status = LookUpNtKey(KeyHandle, &handle))
        return status;
    if (!ResultLength)
        return STATUS_ACCESS_VIOLATION;
    std::wstring name = L"\\REGISTRY\\" + JoinPath(PathOf(*handle.key));
    ULONG nameLength = static_cast<ULONG>(name.size() * sizeof(WCHAR));
    *ResultLength = NAME_LENGTH_FIELD + nameLength;
    if (Length < NAME_LENGTH_FIELD)
        return STATUS_BUFFER_TOO_SMALL;
    BYTE *out = static_cast<BYTE *>(KeyInformation);
    std::memcpy(out, &nameLength, NAME_LENGTH_FIELD);
    ULONG copied = std::min(nameLength, Length - NAME_LENGTH_FIELD);
    std::memcpy(out + NAME_LENGTH_FIELD, name.data(), copied);
    return copied < nameLength ? STATUS_BUFFER_OVERFLOW : 0;
}

}  // namespace winsim
