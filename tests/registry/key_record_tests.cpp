// What a record of a key before its deletion reads of it: its full name
// through ntdll's NtQueryKey when the buffer is short or the handle names no
// key (the undo tests import the names back), and its security as SDDL text
// (a key's own, read back, is the undo tests' to check).
#include <cstring>
#include <string>
#include <vector>

#include "driver/wow64.h"
#include "registry_fixture.h"

namespace {

typedef LONG(NTAPI *NtQueryKeyFunction)(HANDLE, int, PVOID, ULONG, PULONG);
const int KEY_NAME_INFORMATION = 3;
const LONG OVERFLOW_STATUS = static_cast<LONG>(0x80000005);
const LONG INVALID_HANDLE_STATUS = static_cast<LONG>(0xC0000008);
const LONG INVALID_PARAMETER_STATUS = static_cast<LONG>(0xC000000D);
const LONG TOO_SMALL_STATUS = static_cast<LONG>(0xC0000023);
const LONG KEY_DELETED_STATUS = static_cast<LONG>(0xC000017C);

// Where Wine differs from Windows: it keeps HKLM's root and "Software" as
// "Machine" and "Software", where Windows has "MACHINE" and "SOFTWARE".
bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
// A 32-bit process on 64-bit Windows keeps its SOFTWARE keys under Wow6432Node,
// and the key's own name says so.
const std::wstring HKLM_SOFTWARE =
    std::wstring(UnderWine() ? L"\\REGISTRY\\Machine\\Software" : L"\\REGISTRY\\MACHINE\\SOFTWARE") +
    (IsWow64() ? L"\\Wow6432Node" : L"");

LONG QueryKey(HANDLE key, int infoClass, std::vector<BYTE> &buffer, ULONG *needed)
{
    FARPROC entry = GetProcAddress(LoadLibraryW(L"ntdll.dll"), "NtQueryKey");
    NtQueryKeyFunction query = reinterpret_cast<NtQueryKeyFunction>(reinterpret_cast<void (*)()>(entry));
    return query(key, infoClass, buffer.data(), static_cast<ULONG>(buffer.size()), needed);
}

// The name in a KEY_NAME_INFORMATION, as far as the buffer holds it.
std::wstring NameIn(const std::vector<BYTE> &buffer)
{
    ULONG length;
    std::memcpy(&length, buffer.data(), sizeof length);
    size_t held = std::min<size_t>(length, buffer.size() - sizeof length) / sizeof(WCHAR);
    return std::wstring(reinterpret_cast<const WCHAR *>(buffer.data() + sizeof length), held);
}

std::vector<BYTE> Sid(BYTE authority, const std::vector<DWORD> &subAuthorities)
{
    std::vector<BYTE> sid = {1, static_cast<BYTE>(subAuthorities.size()), 0, 0, 0, 0, 0, authority};
    for (DWORD sub : subAuthorities)
        sid.insert(sid.end(), reinterpret_cast<BYTE *>(&sub), reinterpret_cast<BYTE *>(&sub) + 4);
    return sid;
}

const std::vector<BYTE> BA = Sid(5, {32, 544});

struct Ace {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    std::vector<BYTE> sid;
};

std::vector<BYTE> AclOf(const std::vector<Ace> &aces)
{
    std::vector<BYTE> acl(sizeof(ACL));
    for (const Ace &ace : aces) {
        WORD size = static_cast<WORD>(sizeof(ACE_HEADER) + sizeof(ACCESS_MASK) + ace.sid.size());
        ACE_HEADER header = {ace.type, ace.flags, size};
        const BYTE *h = reinterpret_cast<const BYTE *>(&header), *m = reinterpret_cast<const BYTE *>(&ace.mask);
        acl.insert(acl.end(), h, h + sizeof header);
        acl.insert(acl.end(), m, m + sizeof ace.mask);
        acl.insert(acl.end(), ace.sid.begin(), ace.sid.end());
    }
    ACL head = {ACL_REVISION, 0, static_cast<WORD>(acl.size()), static_cast<WORD>(aces.size()), 0};
    std::memcpy(acl.data(), &head, sizeof head);
    return acl;
}

// The SDDL text of a descriptor, or the error in the form "error N".
std::wstring Sddl(PSECURITY_DESCRIPTOR descriptor, SECURITY_INFORMATION which)
{
    LPWSTR text = nullptr;
    ULONG length = 0;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, which, &text, &length))
        return L"error " + std::to_wstring(GetLastError());
    std::wstring result(text);
    if (length != result.size() + 1)
        result += L" (length " + std::to_wstring(length) + L")";
    LocalFree(text);
    return result;
}

std::wstring SddlOf(const std::vector<BYTE> *owner, PACL dacl, SECURITY_DESCRIPTOR_CONTROL control = 0)
{
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor, owner ? const_cast<BYTE *>(owner->data()) : nullptr, FALSE);
    SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE);
    descriptor.Control |= control;
    return Sddl(&descriptor, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION);
}

}  // namespace

typedef RegistryTest KeyRecordTest;

TEST_F(KeyRecordTest, NtQueryKeyReportsShortBuffersAndHandlesThatNameNoKey)
{
    HKEY key;
    ASSERT_EQ(0, RegCreateKeyExW(HKEY_LOCAL_MACHINE, (T + L"\\Gone").c_str(), 0, nullptr, 0, KEY_READ, nullptr, &key,
                                 nullptr));
    const ULONG whole = static_cast<ULONG>(sizeof(ULONG) + std::wstring(L"\\VxTest\\Gone").size() * sizeof(WCHAR) +
                                           HKLM_SOFTWARE.size() * sizeof(WCHAR));
    std::vector<BYTE> tiny(sizeof(ULONG) - 1), part(sizeof(ULONG) + 4 * sizeof(WCHAR));
    ULONG needed = 0;
    EXPECT_EQ(TOO_SMALL_STATUS, QueryKey(key, KEY_NAME_INFORMATION, tiny, &needed));
    EXPECT_EQ(whole, needed);
    needed = 0;
    EXPECT_EQ(OVERFLOW_STATUS, QueryKey(key, KEY_NAME_INFORMATION, part, &needed));
    EXPECT_EQ(whole, needed);
    EXPECT_EQ(L"\\REG", NameIn(part));

    ASSERT_EQ(0, RegDeleteKeyW(HKEY_LOCAL_MACHINE, (T + L"\\Gone").c_str()));
    EXPECT_EQ(KEY_DELETED_STATUS, QueryKey(key, KEY_NAME_INFORMATION, part, &needed));
    RegCloseKey(key);
    EXPECT_EQ(INVALID_HANDLE_STATUS, QueryKey(key, KEY_NAME_INFORMATION, part, &needed));
    EXPECT_EQ(INVALID_HANDLE_STATUS, QueryKey(HKEY_LOCAL_MACHINE, KEY_NAME_INFORMATION, part, &needed));
    EXPECT_EQ(INVALID_PARAMETER_STATUS, QueryKey(HKEY_LOCAL_MACHINE, 100, part, &needed));
}

TEST_F(KeyRecordTest, SddlNamesRightsFlagsAndSidsAsWindowsDoes)
{
    std::vector<BYTE> acl = AclOf({
        {ACCESS_DENIED_ACE_TYPE, OBJECT_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE, KEY_WRITE, Sid(1, {0})},
        {ACCESS_ALLOWED_ACE_TYPE, CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE | INHERITED_ACE, GENERIC_ALL, Sid(3, {0})},
        {ACCESS_ALLOWED_ACE_TYPE, 0, KEY_READ, Sid(5, {32, 545})},
        {ACCESS_ALLOWED_ACE_TYPE, 0, GENERIC_READ | GENERIC_EXECUTE, Sid(5, {18})},
        {ACCESS_ALLOWED_ACE_TYPE, 0, KEY_QUERY_VALUE | DELETE, Sid(5, {11})},
        {ACCESS_ALLOWED_ACE_TYPE, 0, KEY_QUERY_VALUE | SYNCHRONIZE, Sid(5, {32, 547})},
        {ACCESS_ALLOWED_ACE_TYPE, 0, KEY_ALL_ACCESS, Sid(5, {21, 1, 2, 3, 1000})},
    });
    EXPECT_EQ(L"O:BAD:PAI(D;OINP;KW;;;WD)(A;CIIOID;GA;;;CO)(A;;KR;;;BU)(A;;GXGR;;;SY)(A;;CCSD;;;AU)"
              L"(A;;0x100001;;;PU)(A;;KA;;;S-1-5-21-1-2-3-1000)",
              SddlOf(&BA, reinterpret_cast<PACL>(acl.data()), SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED));
    // Wine prints a NULL DACL as "D:", which reads back as an empty DACL that
    // grants nothing; Windows writes "D:NO_ACCESS_CONTROL".
    EXPECT_EQ(UnderWine() ? L"D:" : L"D:NO_ACCESS_CONTROL", SddlOf(nullptr, nullptr));
}
