// A key's owner and DACL, read and written through descriptors.
#include <cstring>

#include "../call_faults.h"
#include "../machine.h"
#include "../security_ids.h"
#include "reg_handles.h"

using namespace winsim;

LONG WINAPI RegGetKeySecurity(HKEY hKey, SECURITY_INFORMATION SecurityInformation,
                              PSECURITY_DESCRIPTOR pSecurityDescriptor, LPDWORD lpcbSecurityDescriptor)
{
    if (LONG fault = EnterCall("RegGetKeySecurity"))
        return fault;
    KeyHandle handle;
    if (LONG status = LookUpKey(hKey, &handle))
        return status;
    if (!(handle.access & READ_CONTROL))
        return ERROR_ACCESS_DENIED;
    std::vector<BYTE> descriptor = SelfRelativeDescriptor(handle.key->security, SecurityInformation);
    DWORD size = static_cast<DWORD>(descriptor.size());
    if (!pSecurityDescriptor || *lpcbSecurityDescriptor < size) {
        *lpcbSecurityDescriptor = size;
        return ERROR_INSUFFICIENT_BUFFER;
    }
    std::memcpy(pSecurityDescriptor, descriptor.data(), size);
    *lpcbSecurityDescriptor = size;
    return ERROR_SUCCESS;
}

LONG WINAPI RegSetKeySecurity(HKEY hKey, SECURITY_INFORMATION SecurityInformation,
                              PSECURITY_DESCRIPTOR pSecurityDescriptor)
{
    if (LONG fault = EnterCall("RegSetKeySecurity"))
        return fault;
    KeyHandle handle;
    if (LONG status = LookUpKey(hKey, &handle))
        return status;
    bool setOwner = (SecurityInformation & OWNER_SECURITY_INFORMATION) != 0;
    bool setDacl = (SecurityInformation & DACL_SECURITY_INFORMATION) != 0;
    if ((setOwner && !(handle.access & WRITE_OWNER)) || (setDacl && !(handle.access & WRITE_DAC)))
        return ERROR_ACCESS_DENIED;
    ObjectSecurity given;
    bool ownerGiven = false, daclGiven = false;
    if (!ReadDescriptor(pSecurityDescriptor, &given, &ownerGiven, &daclGiven))
        return ERROR_INVALID_SECURITY_DESCR;
    if (setOwner) {
        if (!ownerGiven)
            return ERROR_INVALID_OWNER;
        if (!TokenMayOwn(given.owner))
            return ERROR_INVALID_OWNER;
        handle.key->security.owner = given.owner;
    }
    if (setDacl && daclGiven) {
        handle.key->security.daclPresent = given.daclPresent;
        handle.key->security.dacl = given.dacl;
    }
    return ERROR_SUCCESS;
}
