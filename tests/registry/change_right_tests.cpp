#include <vector>

#include "registry_fixture.h"

namespace {

struct Entry {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    bool administrators;
};

PSID Administrators()
{
    static std::vector<BYTE> sid;
    if (sid.empty()) {
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID made;
        AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &made);
        sid.assign(static_cast<BYTE *>(made), static_cast<BYTE *>(made) + GetLengthSid(made));
        FreeSid(made);
    }
    return sid.data();
}

bool OwnedByAdministrators(std::vector<BYTE> descriptor)
{
    PSID owner = nullptr;
    BOOL defaulted;
    return !descriptor.empty() && GetSecurityDescriptorOwner(descriptor.data(), &owner, &defaulted) && owner &&
           EqualSid(owner, Administrators());
}

std::vector<Entry> DaclEntries(std::vector<BYTE> descriptor)
{
    std::vector<Entry> entries;
    BOOL present = FALSE, defaulted;
    PACL dacl = nullptr;
    if (descriptor.empty() || !GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted) || !dacl)
        return entries;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE *ace;
        GetAce(dacl, i, reinterpret_cast<LPVOID *>(&ace));
        entries.push_back(Entry{ace->Header.AceType, ace->Header.AceFlags, ace->Mask,
                                EqualSid(&ace->SidStart, Administrators()) != FALSE});
    }
    return entries;
}

}  // namespace

typedef RegistryTest ChangeRightTest;

TEST_F(ChangeRightTest, AKeyThatDeniesEveryoneBecomesTheAdministratorsOwn)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Shut", L"v", L"x");
    deny_everyone(HKEY_LOCAL_MACHINE, T + L"\\Shut");
    verify_open_denied(HKEY_LOCAL_MACHINE, T + L"\\Shut");

    Printed printed = TakeOver(HKEY_LOCAL_MACHINE, T + L"\\Shut");
    EXPECT_EQ(0u, printed.result);
    EXPECT_EQ(L"", printed.err);
    verify_sz(HKEY_LOCAL_MACHINE, T + L"\\Shut", L"v", L"x");

    std::vector<BYTE> security = KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\Shut");
    EXPECT_TRUE(OwnedByAdministrators(security));
    std::vector<Entry> entries = DaclEntries(security);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, entries[0].type);
    EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, entries[0].flags);
    EXPECT_EQ(static_cast<ACCESS_MASK>(KEY_ALL_ACCESS), entries[0].mask);
    EXPECT_TRUE(entries[0].administrators);
}

TEST_F(ChangeRightTest, SubkeysCreatedLaterGetTheAdministratorsEntry)
{
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Parent");
    ASSERT_EQ(0u, TakeOver(HKEY_LOCAL_MACHINE, T + L"\\Parent").result);
    add_key(HKEY_LOCAL_MACHINE, T + L"\\Parent\\Later");
    // Windows gives the subkey exactly the inherited entry; Wine adds one of
    // its own and leaves the inherited mark off, so only presence is common.
    bool found = false;
    for (const Entry &entry : DaclEntries(KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\Parent\\Later")))
        found = found || (entry.administrators && entry.type == ACCESS_ALLOWED_ACE_TYPE &&
                          entry.mask == static_cast<ACCESS_MASK>(KEY_ALL_ACCESS) && !(entry.flags & INHERIT_ONLY_ACE));
    EXPECT_TRUE(found);
}

TEST_F(ChangeRightTest, AMissingKeyIsReportedWithTheOpenAndCode2)
{
    Printed printed = TakeOver(HKEY_LOCAL_MACHINE, T + L"\\Missing");
    EXPECT_EQ(1u, printed.result);
    EXPECT_TRUE(HasReport(printed.err, L"RegOpenKeyEx()", ERROR_FILE_NOT_FOUND)) << printed.err.size();
}

TEST_F(ChangeRightTest, TakesOverALinkItselfAndNeverItsTarget)
{
    add_sz(HKEY_LOCAL_MACHINE, T + L"\\Target", L"v", L"x");
    std::vector<BYTE> before = KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\Target");
    add_link(T + L"\\Link", T + L"\\Target");
    EXPECT_EQ(0u, TakeOver(HKEY_LOCAL_MACHINE, T + L"\\Link").result);
    EXPECT_EQ(before, KeySecurity(HKEY_LOCAL_MACHINE, T + L"\\Target"));
}
