#include "registry_helpers.h"

#include <cstring>

#include <gtest/gtest.h>

const wchar_t TEST_SOFTWARE[] = L"SOFTWARE\\VxTest";
const wchar_t TEST_SYSTEM[] = L"SYSTEM\\VxTest";

namespace {

const wchar_t LINK_VALUE[] = L"SymbolicLinkValue";

std::string Narrow(const std::wstring &text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

// Makes every key below and at path deletable (the fixtures' owner is
// Administrators, so WRITE_DAC is ours), then deletes bottom-up, each key
// through its own handle, so that a link goes and never its target.
void ForceDeleteTree(HKEY root, const std::wstring &path, REGSAM view)
{
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, WRITE_DAC | view, &key) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
        RegCloseKey(key);
    }
    if (RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    wchar_t name[256];
    DWORD length = 256;
    std::vector<std::wstring> children;
    for (DWORD i = 0;
         (length = 256, RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr)) == ERROR_SUCCESS; ++i)
        children.push_back(name);
    for (const std::wstring &child : children)
        ForceDeleteTree(root, path + L"\\" + child, view);
    typedef LONG(WINAPI * ZwDeleteKeyFunction)(HANDLE);
    ZwDeleteKeyFunction zwDeleteKey = reinterpret_cast<ZwDeleteKeyFunction>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "ZwDeleteKey")));
    zwDeleteKey(key);
    RegCloseKey(key);
}

HKEY OpenForCheck(HKEY root, const std::wstring &path, REGSAM view, LONG *status)
{
    HKEY key = nullptr;
    *status = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key);
    return key;
}

}  // namespace

void RemoveTestTree(HKEY root, const std::wstring &path, REGSAM view)
{
    ForceDeleteTree(root, path, view);
}

void EmptyTestKeys()
{
    ForceDeleteTree(HKEY_LOCAL_MACHINE, TEST_SOFTWARE, 0);
    ForceDeleteTree(HKEY_LOCAL_MACHINE, TEST_SYSTEM, 0);
}

void EnableTakeOwnership()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return;
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_TAKE_OWNERSHIP_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
}

std::vector<BYTE> SzBytes(const std::wstring &text)
{
    const BYTE *bytes = reinterpret_cast<const BYTE *>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
}

void add_key_(const char *file, int line, HKEY root, const std::wstring &path, REGSAM view)
{
    HKEY key;
    LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        ADD_FAILURE_AT(file, line) << "cannot create " << Narrow(path) << ": " << status;
        return;
    }
    RegCloseKey(key);
}

void add_value_(const char *file, int line, HKEY root, const std::wstring &path, const std::wstring &name, DWORD type,
                const std::vector<BYTE> &data, REGSAM view)
{
    HKEY key;
    LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        ADD_FAILURE_AT(file, line) << "cannot set " << Narrow(path) << "\\" << Narrow(name) << ": " << status;
}

void add_sz_(const char *file, int line, HKEY root, const std::wstring &path, const std::wstring &name,
             const std::wstring &text, REGSAM view)
{
    add_value_(file, line, root, path, name, REG_SZ, SzBytes(text), view);
}

std::wstring RealMachinePath(const std::wstring &path, REGSAM view)
{
    typedef BOOL(WINAPI * IsWow64Process)(HANDLE, PBOOL);
    IsWow64Process isWow64 = reinterpret_cast<IsWow64Process>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64) || !wow64 || view == KEY_WOW64_64KEY ||
        _wcsnicmp(path.c_str(), L"SOFTWARE\\", 9) != 0)
        return path;
    return L"SOFTWARE\\Wow6432Node\\" + path.substr(9);
}

void add_link_(const char *file, int line, const std::wstring &path, const std::wstring &target, REGSAM view)
{
    HKEY key;
    LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                                  KEY_ALL_ACCESS | view, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        std::wstring absolute = L"\\REGISTRY\\MACHINE\\" + target;
        status = RegSetValueExW(key, LINK_VALUE, 0, REG_LINK, reinterpret_cast<const BYTE *>(absolute.data()),
                                static_cast<DWORD>(absolute.size() * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        ADD_FAILURE_AT(file, line) << "cannot create the link " << Narrow(path) << ": " << status;
}

void deny_everyone_(const char *file, int line, HKEY root, const std::wstring &path, REGSAM view)
{
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID everyone = nullptr, administrators = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                             &administrators);
    EXPLICIT_ACCESS_W deny = {};
    deny.grfAccessPermissions = KEY_ALL_ACCESS;
    deny.grfAccessMode = DENY_ACCESS;
    deny.grfInheritance = NO_INHERITANCE;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    deny.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    deny.Trustee.ptstrName = static_cast<LPWSTR>(everyone);
    PACL acl = nullptr;
    DWORD aclStatus = SetEntriesInAclW(1, &deny, nullptr, &acl);
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor, administrators, FALSE);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    HKEY key;
    LONG status = RegOpenKeyExW(root, path.c_str(), 0, WRITE_OWNER | WRITE_DAC | view, &key);
    if (status == ERROR_SUCCESS) {
        status = RegSetKeySecurity(key, OWNER_SECURITY_INFORMATION, &descriptor);
        if (status == ERROR_SUCCESS)
            status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
        RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS || aclStatus != ERROR_SUCCESS)
        ADD_FAILURE_AT(file, line) << "cannot shut " << Narrow(path) << ": " << status << " " << aclStatus;
    LocalFree(acl);
    FreeSid(everyone);
    FreeSid(administrators);
}

void verify_open_(const char *file, int line, LONG expected, HKEY root, const std::wstring &path, REGSAM view)
{
    LONG status;
    HKEY key = OpenForCheck(root, path, view, &status);
    if (status != expected)
        ADD_FAILURE_AT(file, line) << Narrow(path) << ": open should say " << expected << ", says " << status;
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
}

void verify_link_open_(const char *file, int line, const std::wstring &path, bool link)
{
    HKEY key;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key);
    DWORD type = REG_NONE;
    if (status == ERROR_SUCCESS) {
        RegQueryValueExW(key, LINK_VALUE, nullptr, &type, nullptr, nullptr);
        RegCloseKey(key);
    }
    if (link && type != REG_LINK)
        ADD_FAILURE_AT(file, line) << Narrow(path) << " should be a link: " << status << ", type " << type;
    if (!link && status != ERROR_FILE_NOT_FOUND)
        ADD_FAILURE_AT(file, line) << "the link " << Narrow(path) << " should be gone; open says " << status;
}

void verify_reg_(const char *file, int line, HKEY root, const std::wstring &path, const std::wstring &name, DWORD type,
                 const std::vector<BYTE> &data, REGSAM view)
{
    LONG status;
    HKEY key = OpenForCheck(root, path, view, &status);
    DWORD actualType = REG_NONE;
    std::vector<BYTE> actual(data.size() + 16);
    DWORD size = static_cast<DWORD>(actual.size());
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExW(key, name.c_str(), nullptr, &actualType, actual.data(), &size);
        RegCloseKey(key);
    }
    actual.resize(status == ERROR_SUCCESS ? size : 0);
    if (status != ERROR_SUCCESS || actualType != type || actual != data)
        ADD_FAILURE_AT(file, line) << Narrow(path) << "\\" << Narrow(name) << ": status " << status << ", type "
                                   << actualType << " (expected " << type << "), " << actual.size() << " bytes ("
                                   << data.size() << " expected)";
}

void verify_sz_(const char *file, int line, HKEY root, const std::wstring &path, const std::wstring &name,
                const std::wstring &text, REGSAM view)
{
    verify_reg_(file, line, root, path, name, REG_SZ, SzBytes(text), view);
}

std::vector<BYTE> KeySecurity(HKEY root, const std::wstring &path)
{
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, READ_CONTROL, &key) != ERROR_SUCCESS)
        return std::vector<BYTE>();
    std::vector<BYTE> descriptor(4096);
    DWORD size = static_cast<DWORD>(descriptor.size());
    LONG status =
        RegGetKeySecurity(key, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor.data(), &size);
    RegCloseKey(key);
    descriptor.resize(status == ERROR_SUCCESS ? size : 0);
    return descriptor;
}

std::wstring KeyTree(HKEY root, const std::wstring &path, REGSAM view, bool security)
{
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | view, &key) != ERROR_SUCCESS)
        return L"";
    std::wstring tree = L"[" + path + L"]";
    for (BYTE b : security ? KeySecurity(root, path) : std::vector<BYTE>())
        tree += std::to_wstring(b) + L",";
    tree += L"\n";
    wchar_t name[16384];
    std::vector<BYTE> data(1 << 16);
    DWORD length, type, size;
    for (DWORD i = 0; length = 16384, size = static_cast<DWORD>(data.size()),
               RegEnumValueW(key, i, name, &length, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
         ++i) {
        tree += std::wstring(name) + L"=" + std::to_wstring(type) + L":";
        for (DWORD b = 0; b < size; ++b)
            tree += std::to_wstring(data[b]) + L",";
        tree += L"\n";
    }
    for (DWORD i = 0; length = 256, RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0; ++i)
        tree += KeyTree(root, path + L"\\" + name, view, security);
    RegCloseKey(key);
    return tree;
}
