// Security identifiers in their binary form, and the ones the token holds.
#pragma once

#include <string>
#include <vector>

#include "winsim/windows.h"

namespace winsim {

typedef std::vector<BYTE> SidBytes;

SidBytes MakeSid(const BYTE authority[6], const std::vector<DWORD> &subAuthorities);
// The SID at p, or an empty one when p is not a valid SID.
SidBytes CopySid(const void *p);
bool IsWellFormedSid(const void *p);
std::wstring SidText(const SidBytes &sid);

SidBytes WorldSid();
SidBytes LocalSystemSid();
SidBytes AdministratorsSid();
SidBytes UsersSid();
SidBytes DefaultUserSid();  // the administrator a fresh machine runs the program as
SidBytes UserSid();         // the administrator the program runs as, unless SetUserSid chose another
void ResetUserSid();

// Whether the process token holds the SID (user or enabled group).
bool TokenHasSid(const SidBytes &sid);
// Whether the token may make the SID an object's owner.
bool TokenMayOwn(const SidBytes &sid);

}  // namespace winsim
