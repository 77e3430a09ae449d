// The security of files and folders: what a descriptor given to
// CreateDirectoryW sets, and what GetFileSecurityW reads. An item made
// without one has what a folder open to every user passes on.
#include <cstring>

#include "file_system.h"

namespace winsim {
namespace {

const ACCESS_MASK READ_AND_EXECUTE = 0x1200A9;
const BYTE INHERITED_BY_ALL = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

ObjectSecurity OpenToEveryUser()
{
    ObjectSecurity security;
    security.owner = UserSid();
    security.dacl = {{ACCESS_ALLOWED_ACE_TYPE, INHERITED_BY_ALL, FILE_ALL_ACCESS, LocalSystemSid()},
                     {ACCESS_ALLOWED_ACE_TYPE, INHERITED_BY_ALL, FILE_ALL_ACCESS, AdministratorsSid()},
                     {ACCESS_ALLOWED_ACE_TYPE, INHERITED_BY_ALL, READ_AND_EXECUTE, UsersSid()}};
    return security;
}

}  // namespace

bool SecurityGiven(const SECURITY_ATTRIBUTES *attributes, ObjectSecurity *security)
{
    *security = OpenToEveryUser();
    if (!attributes || !attributes->lpSecurityDescriptor)
        return true;
    ObjectSecurity given;
    bool ownerGiven = false, daclGiven = false;
    if (!ReadDescriptor(attributes->lpSecurityDescriptor, &given, &ownerGiven, &daclGiven))
        return false;
    if (ownerGiven)
        security->owner = given.owner;
    if (daclGiven) {
        security->daclPresent = given.daclPresent;
        security->dacl = given.dacl;
    }
    return true;
}

}  // namespace winsim

using namespace winsim;

BOOL WINAPI GetFileSecurityW(LPCWSTR lpFileName, SECURITY_INFORMATION RequestedInformation,
                             PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD nLength, LPDWORD lpnLengthNeeded)
{
    ResolvedPath item;
    DWORD error = ResolvePath(lpFileName, item);
    if (!error && !item.exists)
        error = ERROR_FILE_NOT_FOUND;
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    const auto &kept = TheMachine().files.security;
    auto found = kept.find(NodeOf(item.status));
    std::vector<BYTE> descriptor =
        SelfRelativeDescriptor(found == kept.end() ? OpenToEveryUser() : found->second, RequestedInformation);
    *lpnLengthNeeded = static_cast<DWORD>(descriptor.size());
    if (!pSecurityDescriptor || nLength < descriptor.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(pSecurityDescriptor, descriptor.data(), descriptor.size());
    return TRUE;
}
