// Descriptors in the security descriptor definition language of advapi32:
// "O:BAG:SYD:PAI(A;CI;KA;;;BA)", with the aliases Windows prints for rights
// and well-known SIDs.
#include <cstring>
#include <string>

#include "security_layout.h"

using namespace winsim;

namespace {

struct Alias {
    DWORD value;
    const wchar_t *text;
};

// Rights that print as one name only when the mask is exactly theirs.
const Alias WHOLE_RIGHTS[] = {
    {0x1F01FF, L"FA"}, {0x120089, L"FR"}, {0x120116, L"FW"}, {0x1200A0, L"FX"},
    {0xF003F, L"KA"},  {0x20019, L"KR"},  {0x20006, L"KW"},
};

// Single rights, in the order of their bits; a mask with a bit outside them prints as hex.
const Alias RIGHT_BITS[] = {
    {0x1, L"CC"},           {0x2, L"DC"},          {0x4, L"LC"},         {0x8, L"SW"},         {0x10, L"RP"},
    {0x20, L"WP"},          {0x40, L"DT"},         {0x80, L"LO"},        {0x100, L"CR"},       {DELETE, L"SD"},
    {READ_CONTROL, L"RC"},  {WRITE_DAC, L"WD"},    {WRITE_OWNER, L"WO"}, {GENERIC_ALL, L"GA"}, {GENERIC_EXECUTE, L"GX"},
    {GENERIC_WRITE, L"GW"}, {GENERIC_READ, L"GR"},
};

const Alias ACE_FLAGS[] = {
    {OBJECT_INHERIT_ACE, L"OI"},
    {CONTAINER_INHERIT_ACE, L"CI"},
    {NO_PROPAGATE_INHERIT_ACE, L"NP"},
    {INHERIT_ONLY_ACE, L"IO"},
    {INHERITED_ACE, L"ID"},
    {0x40, L"SA"},
    {0x80, L"FA"},
};

struct SidAlias {
    const wchar_t *sid;
    const wchar_t *text;
};

const SidAlias SID_ALIASES[] = {
    {L"S-1-1-0", L"WD"},      {L"S-1-3-0", L"CO"},      {L"S-1-3-1", L"CG"},      {L"S-1-5-2", L"NU"},
    {L"S-1-5-4", L"IU"},      {L"S-1-5-6", L"SU"},      {L"S-1-5-7", L"AN"},      {L"S-1-5-9", L"ED"},
    {L"S-1-5-10", L"PS"},     {L"S-1-5-11", L"AU"},     {L"S-1-5-12", L"RC"},     {L"S-1-5-18", L"SY"},
    {L"S-1-5-19", L"LS"},     {L"S-1-5-20", L"NS"},     {L"S-1-5-32-544", L"BA"}, {L"S-1-5-32-545", L"BU"},
    {L"S-1-5-32-546", L"BG"}, {L"S-1-5-32-547", L"PU"}, {L"S-1-5-32-548", L"AO"}, {L"S-1-5-32-549", L"SO"},
    {L"S-1-5-32-550", L"PO"}, {L"S-1-5-32-551", L"BO"}, {L"S-1-5-32-552", L"RE"}, {L"S-1-5-32-554", L"RU"},
    {L"S-1-5-32-555", L"RD"}, {L"S-1-5-32-556", L"NO"},
};

std::wstring SidName(const void *sid)
{
    std::wstring text = SidText(CopySid(sid));
    for (const SidAlias &alias : SID_ALIASES)
        if (text == alias.sid)
            return alias.text;
    return text;
}

std::wstring RightsText(ACCESS_MASK mask)
{
    for (const Alias &alias : WHOLE_RIGHTS)
        if (mask == alias.value)
            return alias.text;
    std::wstring text;
    ACCESS_MASK covered = 0;
    for (const Alias &alias : RIGHT_BITS)
        if (mask & alias.value) {
            text += alias.text;
            covered |= alias.value;
        }
    if (covered == mask)
        return text;
    wchar_t hex[16];
    std::swprintf(hex, 16, L"0x%x", mask);
    return hex;
}

bool AppendAce(std::wstring &text, const AceEntry &ace)
{
    if (ace.type != ACCESS_ALLOWED_ACE_TYPE && ace.type != ACCESS_DENIED_ACE_TYPE)
        return false;
    text += ace.type == ACCESS_ALLOWED_ACE_TYPE ? L"(A;" : L"(D;";
    for (const Alias &flag : ACE_FLAGS)
        if (ace.flags & flag.value)
            text += flag.text;
    text += L";" + RightsText(ace.mask) + L";;;" + SidName(ace.sid.data()) + L")";
    return true;
}

bool DaclText(const DescriptorParts &parts, std::wstring &text)
{
    if (!(parts.control & SE_DACL_PRESENT))
        return true;
    text += L"D:";
    if (parts.control & SE_DACL_PROTECTED)
        text += L"P";
    if (parts.control & SE_DACL_AUTO_INHERIT_REQ)
        text += L"AR";
    if (parts.control & SE_DACL_AUTO_INHERITED)
        text += L"AI";
    if (!parts.dacl) {
        text += L"NO_ACCESS_CONTROL";
        return true;
    }
    for (const AceEntry &ace : ReadAcl(parts.dacl))
        if (!AppendAce(text, ace))
            return false;
    return true;
}

}  // namespace

BOOL WINAPI ConvertSecurityDescriptorToStringSecurityDescriptorW(PSECURITY_DESCRIPTOR SecurityDescriptor,
                                                                 DWORD RequestedStringSDRevision,
                                                                 SECURITY_INFORMATION SecurityInformation,
                                                                 LPWSTR *StringSecurityDescriptor,
                                                                 PULONG StringSecurityDescriptorLen)
{
    if (RequestedStringSDRevision != SDDL_REVISION_1) {
        SetLastError(ERROR_UNKNOWN_REVISION);
        return FALSE;
    }
    if (!SecurityDescriptor || !StringSecurityDescriptor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DescriptorParts parts;
    if (!LocateParts(SecurityDescriptor, &parts)) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    std::wstring text;
    if ((SecurityInformation & OWNER_SECURITY_INFORMATION) && parts.owner)
        text += L"O:" + SidName(parts.owner);
    if ((SecurityInformation & GROUP_SECURITY_INFORMATION) && parts.group)
        text += L"G:" + SidName(parts.group);
    if ((SecurityInformation & DACL_SECURITY_INFORMATION) && !DaclText(parts, text)) {
        SetLastError(ERROR_INVALID_ACL);
        return FALSE;
    }
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    LPWSTR copy = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, bytes));
    if (!copy) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    std::memcpy(copy, text.c_str(), bytes);
    *StringSecurityDescriptor = copy;
    if (StringSecurityDescriptorLen)
        *StringSecurityDescriptorLen = static_cast<ULONG>(text.size() + 1);
    return TRUE;
}
