// The record's folder holds registry data of the machine (undo.reg, log.txt):
// it is made open to SYSTEM and the Administrators alone, not taking what the
// temporary folder passes on, and whoever makes an item in it keeps full
// control of that item. The program runs as an administrator (or SYSTEM), so
// its creator is one of them.
#include "record/run_record.h"

namespace {

const int TRUSTEES = 3;

}  // namespace

BOOL CreatePrivateFolder(LPCWSTR lpPath)
{
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY, creator = SECURITY_CREATOR_SID_AUTHORITY;
    PSID sids[TRUSTEES] = {nullptr, nullptr, nullptr};
    BOOL ok = AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &sids[0]) &&
              AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                       &sids[1]) &&
              AllocateAndInitializeSid(&creator, 1, SECURITY_CREATOR_OWNER_RID, 0, 0, 0, 0, 0, 0, 0, &sids[2]);
    PACL acl = nullptr;
    if (ok) {
        EXPLICIT_ACCESS_W access[TRUSTEES] = {};
        for (int i = 0; i < TRUSTEES; ++i) {
            access[i].grfAccessPermissions = FILE_ALL_ACCESS;
            access[i].grfAccessMode = SET_ACCESS;
            // The creator's entry is for the items inside, not the folder.
            access[i].grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT | (i == 2 ? INHERIT_ONLY : 0);
            access[i].Trustee.TrusteeForm = TRUSTEE_IS_SID;
            access[i].Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
            access[i].Trustee.ptstrName = static_cast<LPWSTR>(sids[i]);
        }
        DWORD status = SetEntriesInAclW(TRUSTEES, access, nullptr, &acl);
        if (status != ERROR_SUCCESS) {
            SetLastError(status);
            ok = FALSE;
        }
    }
    SECURITY_DESCRIPTOR descriptor;
    ok = ok && InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
         SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
         SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    ok = ok && CreateDirectoryW(lpPath, &attributes);
    DWORD error = GetLastError();
    if (acl)
        LocalFree(acl);
    for (PSID sid : sids)
        if (sid)
            FreeSid(sid);
    SetLastError(error);
    return ok;
}
