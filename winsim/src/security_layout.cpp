#include "security_layout.h"

#include <cstring>

namespace winsim {
namespace {

const size_t ACE_FIXED = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);

struct SelfRelativeHeader {
    BYTE Revision;
    BYTE Sbz1;
    SECURITY_DESCRIPTOR_CONTROL Control;
    DWORD Owner;
    DWORD Group;
    DWORD Sacl;
    DWORD Dacl;
};

void Append(std::vector<BYTE> &bytes, const std::vector<BYTE> &part, DWORD *offset)
{
    *offset = static_cast<DWORD>(bytes.size());
    bytes.insert(bytes.end(), part.begin(), part.end());
}

}  // namespace

std::vector<AceEntry> ReadAcl(const ACL *acl)
{
    std::vector<AceEntry> entries;
    const BYTE *p = reinterpret_cast<const BYTE *>(acl) + sizeof(ACL);
    for (WORD i = 0; i < acl->AceCount; ++i) {
        const ACCESS_ALLOWED_ACE *ace = reinterpret_cast<const ACCESS_ALLOWED_ACE *>(p);
        entries.push_back(AceEntry{ace->Header.AceType, ace->Header.AceFlags, ace->Mask, CopySid(&ace->SidStart)});
        p += ace->Header.AceSize;
    }
    return entries;
}

std::vector<BYTE> AclBytes(const std::vector<AceEntry> &entries)
{
    size_t size = sizeof(ACL);
    for (const AceEntry &entry : entries)
        size += ACE_FIXED + entry.sid.size();
    std::vector<BYTE> bytes(size);
    ACL *acl = reinterpret_cast<ACL *>(bytes.data());
    acl->AclRevision = ACL_REVISION;
    acl->AclSize = static_cast<WORD>(size);
    acl->AceCount = static_cast<WORD>(entries.size());
    size_t at = sizeof(ACL);
    for (const AceEntry &entry : entries) {
        ACE_HEADER header = {entry.type, entry.flags, static_cast<WORD>(ACE_FIXED + entry.sid.size())};
        std::memcpy(&bytes[at], &header, sizeof header);
        std::memcpy(&bytes[at + sizeof header], &entry.mask, sizeof entry.mask);
        std::memcpy(&bytes[at + ACE_FIXED], entry.sid.data(), entry.sid.size());
        at += header.AceSize;
    }
    return bytes;
}

std::vector<BYTE> SelfRelativeDescriptor(const ObjectSecurity &security, SECURITY_INFORMATION which)
{
    SelfRelativeHeader header = {SECURITY_DESCRIPTOR_REVISION, 0, SE_SELF_RELATIVE, 0, 0, 0, 0};
    std::vector<BYTE> bytes(sizeof header);
    if ((which & OWNER_SECURITY_INFORMATION) && !security.owner.empty())
        Append(bytes, security.owner, &header.Owner);
    if ((which & GROUP_SECURITY_INFORMATION) && !security.group.empty())
        Append(bytes, security.group, &header.Group);
    if (which & DACL_SECURITY_INFORMATION) {
        header.Control |= SE_DACL_PRESENT;
        if (security.daclPresent)
            Append(bytes, AclBytes(security.dacl), &header.Dacl);
    }
    std::memcpy(bytes.data(), &header, sizeof header);
    return bytes;
}

bool LocateParts(PSECURITY_DESCRIPTOR descriptor, DescriptorParts *parts)
{
    const BYTE *base = static_cast<const BYTE *>(descriptor);
    if (!base || base[0] != SECURITY_DESCRIPTOR_REVISION)
        return false;
    std::memcpy(&parts->control, base + 2, sizeof parts->control);
    if (parts->control & SE_SELF_RELATIVE) {
        SelfRelativeHeader header;
        std::memcpy(&header, base, sizeof header);
        parts->owner = header.Owner ? base + header.Owner : nullptr;
        parts->group = header.Group ? base + header.Group : nullptr;
        parts->dacl = header.Dacl ? reinterpret_cast<const ACL *>(base + header.Dacl) : nullptr;
    } else {
        const SECURITY_DESCRIPTOR *sd = static_cast<const SECURITY_DESCRIPTOR *>(descriptor);
        parts->owner = sd->Owner;
        parts->group = sd->Group;
        parts->dacl = sd->Dacl;
    }
    return true;
}

bool ReadDescriptor(PSECURITY_DESCRIPTOR descriptor, ObjectSecurity *security, bool *ownerGiven, bool *daclGiven)
{
    DescriptorParts parts;
    if (!LocateParts(descriptor, &parts))
        return false;
    *ownerGiven = parts.owner != nullptr;
    if (parts.owner) {
        security->owner = CopySid(parts.owner);
        if (security->owner.empty())
            return false;
    }
    *daclGiven = (parts.control & SE_DACL_PRESENT) != 0;
    if (*daclGiven) {
        if (parts.dacl && parts.dacl->AclRevision != ACL_REVISION)
            return false;
        security->daclPresent = parts.dacl != nullptr;
        security->dacl = parts.dacl ? ReadAcl(parts.dacl) : std::vector<AceEntry>();
    }
    return true;
}

}  // namespace winsim
