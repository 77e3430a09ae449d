#include "security_ids.h"

#include <cstring>

namespace winsim {
namespace {

const BYTE WORLD_AUTHORITY[6] = {0, 0, 0, 0, 0, 1};
const BYTE NT_AUTHORITY[6] = {0, 0, 0, 0, 0, 5};
const size_t SID_HEADER = 8;
const BYTE MAX_SUB_AUTHORITIES = 15;

// Empty while the machine's own administrator is the user.
SidBytes &ChosenUserSid()
{
    static SidBytes chosen;
    return chosen;
}

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

SidBytes DefaultUserSid()
{
    return MakeSid(NT_AUTHORITY, {21, 1004336348, 1177238915, 682003330, 1000});
}

SidBytes UserSid()
{
    return ChosenUserSid().empty() ? DefaultUserSid() : ChosenUserSid();
}

void ResetUserSid()
{
    ChosenUserSid().clear();
}

bool SetUserSid(const std::wstring &text)
{
    // "S-1-<authority>-<sub>...", the form SidText gives.
    if (text.compare(0, 4, L"S-1-") != 0)
        return false;
    std::vector<unsigned long long> numbers;
    for (size_t at = 4; at <= text.size();) {
        size_t end = text.find(L'-', at);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring part = text.substr(at, end - at);
        if (part.empty() || part.size() > 15 || part.find_first_not_of(L"0123456789") != std::wstring::npos)
            return false;
        numbers.push_back(std::stoull(part));
        at = end + 1;
    }
    if (numbers.size() < 2 || numbers.size() > 1u + MAX_SUB_AUTHORITIES || numbers[0] >= (1ull << 48))
        return false;
    BYTE authority[6];
    for (int i = 0; i < 6; ++i)
        authority[i] = static_cast<BYTE>(numbers[0] >> (8 * (5 - i)));
    std::vector<DWORD> subAuthorities;
    for (size_t i = 1; i < numbers.size(); ++i) {
        if (numbers[i] > 0xFFFFFFFFull)
            return false;
        subAuthorities.push_back(static_cast<DWORD>(numbers[i]));
    }
    ChosenUserSid() = MakeSid(authority, subAuthorities);
    return true;
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
