// Access lists and descriptors between Windows' binary layouts and the
// simulated machine's own form of an object's security.
#pragma once

#include <vector>

#include "security_ids.h"

namespace winsim {

struct AceEntry {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    SidBytes sid;
};

struct ObjectSecurity {
    SidBytes owner;
    SidBytes group;
    bool daclPresent = true;  // false: no DACL, everyone has every right
    std::vector<AceEntry> dacl;
};

std::vector<AceEntry> ReadAcl(const ACL *acl);
std::vector<BYTE> AclBytes(const std::vector<AceEntry> &entries);

// Where an absolute or self-relative descriptor keeps its parts; null for an
// absent one. False when it is no descriptor of a known revision.
struct DescriptorParts {
    SECURITY_DESCRIPTOR_CONTROL control;
    const void *owner;
    const void *group;
    const ACL *dacl;
};
bool LocateParts(PSECURITY_DESCRIPTOR descriptor, DescriptorParts *parts);

// The parts that `which` names, in self-relative form.
std::vector<BYTE> SelfRelativeDescriptor(const ObjectSecurity &security, SECURITY_INFORMATION which);
// Reads an absolute or self-relative descriptor; false when it is malformed.
bool ReadDescriptor(PSECURITY_DESCRIPTOR descriptor, ObjectSecurity *security, bool *ownerGiven, bool *daclGiven);

}  // namespace winsim
