#include "reg_access.h"

#include "../machine.h"

namespace winsim {

ACCESS_MASK KeyRights(ACCESS_MASK access)
{
    ACCESS_MASK rights =
        access & ~(GENERIC_ALL | GENERIC_EXECUTE | GENERIC_WRITE | GENERIC_READ | KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    if (access & GENERIC_READ)
        rights |= KEY_READ;
    if (access & GENERIC_WRITE)
        rights |= KEY_WRITE;
    if (access & GENERIC_EXECUTE)
        rights |= KEY_EXECUTE;
    if (access & GENERIC_ALL)
        rights |= KEY_ALL_ACCESS;
    return rights;
}

// As Windows decides: the owner always has READ_CONTROL and WRITE_DAC, an
// enabled take-ownership privilege gives WRITE_OWNER, then the entries in
// order, a denial refusing any right not granted before it.
bool AccessGranted(const ObjectSecurity &security, ACCESS_MASK desired)
{
    desired = KeyRights(desired);
    ACCESS_MASK granted = 0;
    if (TokenHasSid(security.owner))
        granted |= READ_CONTROL | WRITE_DAC;
    if ((desired & WRITE_OWNER) && PrivilegeEnabled(SE_TAKE_OWNERSHIP_NAME))
        granted |= WRITE_OWNER;
    if (!security.daclPresent)
        return true;
    for (const AceEntry &entry : security.dacl) {
        if ((entry.flags & INHERIT_ONLY_ACE) || !TokenHasSid(entry.sid))
            continue;
        ACCESS_MASK rights = KeyRights(entry.mask) & desired & ~granted;
        if (entry.type == ACCESS_DENIED_ACE_TYPE && rights)
            return false;
        if (entry.type == ACCESS_ALLOWED_ACE_TYPE)
            granted |= rights;
    }
    return (desired & ~granted) == 0;
}

}  // namespace winsim
