// SIDs, access lists and descriptors in Windows' binary layouts, so that a
// descriptor built by the program means on winsim what it means on Windows.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "machine.h"
#include "security_layout.h"

using namespace winsim;

namespace {

BYTE AceFlagsFromInheritance(DWORD inheritance)
{
    BYTE flags = 0;
    if (inheritance & SUB_OBJECTS_ONLY_INHERIT)
        flags |= OBJECT_INHERIT_ACE;
    if (inheritance & SUB_CONTAINERS_ONLY_INHERIT)
        flags |= CONTAINER_INHERIT_ACE;
    if (inheritance & INHERIT_NO_PROPAGATE)
        flags |= NO_PROPAGATE_INHERIT_ACE;
    if (inheritance & INHERIT_ONLY)
        flags |= INHERIT_ONLY_ACE;
    return flags;
}

PACL LocalAcl(const std::vector<AceEntry> &entries)
{
    std::vector<BYTE> bytes = AclBytes(entries);
    void *block = LocalAlloc(LMEM_FIXED, bytes.size());
    if (block)
        std::memcpy(block, bytes.data(), bytes.size());
    return static_cast<PACL>(block);
}

SECURITY_DESCRIPTOR *AbsoluteDescriptor(PSECURITY_DESCRIPTOR descriptor)
{
    SECURITY_DESCRIPTOR *sd = static_cast<SECURITY_DESCRIPTOR *>(descriptor);
    if (!sd || sd->Revision != SECURITY_DESCRIPTOR_REVISION || (sd->Control & SE_SELF_RELATIVE)) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return nullptr;
    }
    return sd;
}

// A self-relative descriptor keeps offsets where the absolute one has pointers.
struct SelfRelative {
    BYTE Revision;
    BYTE Sbz1;
    SECURITY_DESCRIPTOR_CONTROL Control;
    DWORD Owner;
    DWORD Group;
    DWORD Sacl;
    DWORD Dacl;
};

}  // namespace

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD dwRevision)
{
    if (dwRevision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memset(pSecurityDescriptor, 0, sizeof(SECURITY_DESCRIPTOR));
    static_cast<SECURITY_DESCRIPTOR *>(pSecurityDescriptor)->Revision = SECURITY_DESCRIPTOR_REVISION;
    return TRUE;
}

// Only the bits that a program may set itself: whether the DACL and SACL
// take what the parent passes on.
BOOL WINAPI SetSecurityDescriptorControl(PSECURITY_DESCRIPTOR pSecurityDescriptor,
                                         SECURITY_DESCRIPTOR_CONTROL ControlBitsOfInterest,
                                         SECURITY_DESCRIPTOR_CONTROL ControlBitsToSet)
{
    const SECURITY_DESCRIPTOR_CONTROL settable = SE_DACL_PROTECTED | SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED;
    if ((ControlBitsOfInterest | ControlBitsToSet) & ~settable) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SECURITY_DESCRIPTOR *descriptor = static_cast<SECURITY_DESCRIPTOR *>(pSecurityDescriptor);
    descriptor->Control = static_cast<SECURITY_DESCRIPTOR_CONTROL>((descriptor->Control & ~ControlBitsOfInterest) |
                                                                   (ControlBitsToSet & ControlBitsOfInterest));
    return TRUE;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority, BYTE nSubAuthorityCount,
                                     DWORD nSubAuthority0, DWORD nSubAuthority1, DWORD nSubAuthority2,
                                     DWORD nSubAuthority3, DWORD nSubAuthority4, DWORD nSubAuthority5,
                                     DWORD nSubAuthority6, DWORD nSubAuthority7, PSID *pSid)
{
    if (nSubAuthorityCount == 0 || nSubAuthorityCount > 8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD all[8] = {nSubAuthority0, nSubAuthority1, nSubAuthority2, nSubAuthority3,
                          nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7};
    SidBytes sid = MakeSid(pIdentifierAuthority->Value, std::vector<DWORD>(all, all + nSubAuthorityCount));
    void *block = std::malloc(sid.size());
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    std::memcpy(block, sid.data(), sid.size());
    *pSid = block;
    return TRUE;
}

PVOID WINAPI FreeSid(PSID pSid)
{
    std::free(pSid);
    return nullptr;
}

BOOL WINAPI IsValidSid(PSID pSid)
{
    return IsWellFormedSid(pSid);
}

DWORD WINAPI GetLengthSid(PSID pSid)
{
    return static_cast<DWORD>(CopySid(pSid).size());
}

BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2)
{
    SidBytes first = CopySid(pSid1);
    SetLastError(ERROR_SUCCESS);
    return !first.empty() && first == CopySid(pSid2);
}

BOOL WINAPI SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID pOwner, BOOL bOwnerDefaulted)
{
    SECURITY_DESCRIPTOR *sd = AbsoluteDescriptor(pSecurityDescriptor);
    if (!sd)
        return FALSE;
    sd->Owner = pOwner;
    sd->Control = static_cast<WORD>((sd->Control & ~SE_OWNER_DEFAULTED) | (bOwnerDefaulted ? SE_OWNER_DEFAULTED : 0));
    return TRUE;
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL bDaclPresent, PACL pDacl,
                                      BOOL bDaclDefaulted)
{
    SECURITY_DESCRIPTOR *sd = AbsoluteDescriptor(pSecurityDescriptor);
    if (!sd)
        return FALSE;
    sd->Control = static_cast<WORD>(sd->Control & ~(SE_DACL_PRESENT | SE_DACL_DEFAULTED));
    if (bDaclPresent) {
        sd->Control |= SE_DACL_PRESENT;
        if (bDaclDefaulted)
            sd->Control |= SE_DACL_DEFAULTED;
        sd->Dacl = pDacl;
    } else {
        sd->Dacl = nullptr;
    }
    return TRUE;
}

BOOL WINAPI GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID *pOwner, BOOL *lpbOwnerDefaulted)
{
    const SECURITY_DESCRIPTOR *sd = static_cast<const SECURITY_DESCRIPTOR *>(pSecurityDescriptor);
    if (sd->Control & SE_SELF_RELATIVE) {
        const SelfRelative *relative = static_cast<const SelfRelative *>(pSecurityDescriptor);
        *pOwner = relative->Owner ? static_cast<BYTE *>(pSecurityDescriptor) + relative->Owner : nullptr;
    } else {
        *pOwner = sd->Owner;
    }
    *lpbOwnerDefaulted = (sd->Control & SE_OWNER_DEFAULTED) != 0;
    return TRUE;
}

BOOL WINAPI GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL *lpbDaclPresent, PACL *pDacl,
                                      BOOL *lpbDaclDefaulted)
{
    const SECURITY_DESCRIPTOR *sd = static_cast<const SECURITY_DESCRIPTOR *>(pSecurityDescriptor);
    *lpbDaclPresent = (sd->Control & SE_DACL_PRESENT) != 0;
    *lpbDaclDefaulted = (sd->Control & SE_DACL_DEFAULTED) != 0;
    if (sd->Control & SE_SELF_RELATIVE) {
        const SelfRelative *relative = static_cast<const SelfRelative *>(pSecurityDescriptor);
        *pDacl = relative->Dacl ? reinterpret_cast<PACL>(static_cast<BYTE *>(pSecurityDescriptor) + relative->Dacl)
                                : nullptr;
    } else {
        *pDacl = sd->Dacl;
    }
    return TRUE;
}

BOOL WINAPI GetAce(PACL pAcl, DWORD dwAceIndex, LPVOID *pAce)
{
    if (!pAcl || dwAceIndex >= pAcl->AceCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    BYTE *p = reinterpret_cast<BYTE *>(pAcl) + sizeof(ACL);
    for (DWORD i = 0; i < dwAceIndex; ++i)
        p += reinterpret_cast<ACE_HEADER *>(p)->AceSize;
    *pAce = p;
    return TRUE;
}

void WINAPI BuildExplicitAccessWithNameW(PEXPLICIT_ACCESS_W pExplicitAccess, LPWSTR pTrusteeName,
                                         DWORD AccessPermissions, ACCESS_MODE AccessMode, DWORD Inheritance)
{
    pExplicitAccess->grfAccessPermissions = AccessPermissions;
    pExplicitAccess->grfAccessMode = AccessMode;
    pExplicitAccess->grfInheritance = Inheritance;
    pExplicitAccess->Trustee.pMultipleTrustee = nullptr;
    pExplicitAccess->Trustee.MultipleTrusteeOperation = NO_MULTIPLE_TRUSTEE;
    pExplicitAccess->Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    pExplicitAccess->Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
    pExplicitAccess->Trustee.ptstrName = pTrusteeName;
}

// Denials first, then grants, as SetEntriesInAcl orders them; entries of
// the old list for a trustee that SET_ACCESS or REVOKE_ACCESS names go.
DWORD WINAPI SetEntriesInAclW(ULONG cCountOfExplicitEntries, PEXPLICIT_ACCESS_W pListOfExplicitEntries, PACL OldAcl,
                              PACL *NewAcl)
{
    std::vector<AceEntry> denials, grants;
    std::vector<SidBytes> replaced;
    for (ULONG i = 0; i < cCountOfExplicitEntries; ++i) {
        const EXPLICIT_ACCESS_W &access = pListOfExplicitEntries[i];
        if (access.Trustee.TrusteeForm != TRUSTEE_IS_SID)
            return ERROR_NONE_MAPPED;
        SidBytes sid = CopySid(access.Trustee.ptstrName);
        if (sid.empty())
            return ERROR_INVALID_SID;
        BYTE flags = AceFlagsFromInheritance(access.grfInheritance);
        switch (access.grfAccessMode) {
        case DENY_ACCESS:
            denials.push_back(AceEntry{ACCESS_DENIED_ACE_TYPE, flags, access.grfAccessPermissions, sid});
            break;
        case SET_ACCESS:
            replaced.push_back(sid);
            grants.push_back(AceEntry{ACCESS_ALLOWED_ACE_TYPE, flags, access.grfAccessPermissions, sid});
            break;
        case GRANT_ACCESS:
            grants.push_back(AceEntry{ACCESS_ALLOWED_ACE_TYPE, flags, access.grfAccessPermissions, sid});
            break;
        case REVOKE_ACCESS:
            replaced.push_back(sid);
            break;
        default:
            return ERROR_INVALID_PARAMETER;
        }
    }
    std::vector<AceEntry> entries = denials;
    if (OldAcl) {
        for (const AceEntry &old : ReadAcl(OldAcl)) {
            bool gone = false;
            for (const SidBytes &sid : replaced)
                gone = gone || (sid == old.sid && old.type == ACCESS_ALLOWED_ACE_TYPE);
            if (!gone)
                (old.type == ACCESS_DENIED_ACE_TYPE ? denials : grants).push_back(old);
        }
        entries = denials;
    }
    entries.insert(entries.end(), grants.begin(), grants.end());
    *NewAcl = LocalAcl(entries);
    return *NewAcl ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
}
