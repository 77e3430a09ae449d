#include "security_ids.h"

#include <cstring>

namespace winsim {
namespace {

const BYTE WORLD_AUTHORITY[6] = {0, 0, 0, 0, 0, 1};
const BYTE NT_AUTHORITY[6] = {0, 0, 0, 0, 0, 5};
const size_t SID_HEADER = 8;
const BYTE MAX_SUB_AUTHORITIES = 15;

}  // namespace

SidBytes MakeSid(const BYTE authority[6], const std::vector<DWORD> &subAuthorities)
{
    SidBytes sid(SID_HEADER + 4 * subAuthorities.size());
    sid[0] = 1;
    sid[1] = static_cast<BYTE>(subAuthorities.size());
    std::memcpy(&sid[2], authority, 6);
    for (size_t i = 0; i < subAuthorities.size(); ++i)
        std::memcpy(&sid[SID_HEADER + 4 * i], &subAuthorities[i], 4);
    return sid;
}

bool IsWellFormedSid(const void *p)
{
    const BYTE *bytes = static_cast<const BYTE *>(p);
    return bytes && bytes[0] == 1 && bytes[1] <= MAX_SUB_AUTHORITIES;
}

SidBytes CopySid(const void *p)
{
    if (!IsWellFormedSid(p))
        return SidBytes();
    const BYTE *bytes = static_cast<const BYTE *>(p);
    return SidBytes(bytes, bytes + SID_HEADER + 4 * bytes[1]);
}

std::wstring SidText(const SidBytes &sid)
{
    if (sid.size() < SID_HEADER)
        return L"(no SID)";
    unsigned long long authority = 0;
    for (int i = 2; i < 8; ++i)
        authority = (authority << 8) | sid[i];
    std::wstring text = L"S-1-" + std::to_wstring(authority);
    for (size_t i = 0; i < sid[1]; ++i) {
        DWORD sub;
        std::memcpy(&sub, &sid[SID_HEADER + 4 * i], 4);
        text += L"-" + std::to_wstring(sub);
    }
    return text;
}

SidBytes WorldSid()
{
    return MakeSid(WORLD_AUTHORITY, {SECURITY_WORLD_RID});
}

SidBytes LocalSystemSid()
{
    return MakeSid(NT_AUTHORITY, {SECURITY_LOCAL_SYSTEM_RID});
}

SidBytes AdministratorsSid()
{
    return MakeSid(NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS});
}

SidBytes UsersSid()
{
    return MakeSid(NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS});
}

SidBytes UserSid()
{
    return MakeSid(NT_AUTHORITY, {21, 1004336348, 1177238915, 682003330, 1000});
}

bool TokenHasSid(const SidBytes &sid)
{
    return sid == UserSid() || sid == WorldSid() || sid == AdministratorsSid() || sid == UsersSid();
}

bool TokenMayOwn(const SidBytes &sid)
{
    return sid == UserSid() || sid == AdministratorsSid();
}

}  // namespace winsim
