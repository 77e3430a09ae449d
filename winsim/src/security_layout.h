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

// The parts that `which` names, in self-relative form.
std::vector<BYTE> SelfRelativeDescriptor(const ObjectSecurity &security, SECURITY_INFORMATION which);
// Reads an absolute or self-relative descriptor; false when it is malformed.
bool ReadDescriptor(PSECURITY_DESCRIPTOR descriptor, ObjectSecurity *security, bool *ownerGiven, bool *daclGiven);

}  // namespace winsim
