#include <cstdlib>

#include "driver/process_state.h"
#include "registry/registry.h"
#include "report/report.h"

namespace {

// Writes one part of the descriptor through an open of the key with only the
// right that part needs. Links are opened as themselves, never followed.
DWORD WriteSecurityPart(HKEY hParent, LPCWSTR lpSubKey, REGSAM right, SECURITY_INFORMATION part,
                        PSECURITY_DESCRIPTOR descriptor, bool *opened)
{
    HKEY key;
    LONG status = RegOpenKeyExW(hParent, lpSubKey, REG_OPTION_OPEN_LINK, right | RegViewFlag, &key);
    *opened = status == ERROR_SUCCESS;
    if (!*opened) {
        ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegOpenKeyEx()");
        return 1;
    }
    DWORD result = 0;
    if ((status = RegSetKeySecurity(key, part, descriptor)) != ERROR_SUCCESS)
        result = ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegSetKeySecurity()");
    if ((status = RegCloseKey(key)) != ERROR_SUCCESS)
        result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "RegCloseKey()");
    return result;
}

DWORD WriteOwnerThenDacl(HKEY hParent, LPCWSTR lpSubKey, PSECURITY_DESCRIPTOR descriptor)
{
    bool opened;
    DWORD result = WriteSecurityPart(hParent, lpSubKey, WRITE_OWNER, OWNER_SECURITY_INFORMATION, descriptor, &opened);
    if (result)
        return result;
    return WriteSecurityPart(hParent, lpSubKey, WRITE_DAC, DACL_SECURITY_INFORMATION, descriptor, &opened);
}

}  // namespace

DWORD ChangeRight(HKEY hParent, LPCWSTR lpSubKey)
{
    DWORD result = 1;
    PSID administrators = nullptr;
    PACL acl = nullptr;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSECURITY_DESCRIPTOR descriptor = malloc(SECURITY_DESCRIPTOR_MIN_LENGTH);

    if (!descriptor) {
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Out of memory.");
    } else if (!InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION)) {
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "InitializeSecurityDescriptor() fail");
    } else if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                         0, 0, 0, &administrators)) {
        administrators = nullptr;
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "AllocateAndInitializeSid() fail");
    } else if (!SetSecurityDescriptorOwner(descriptor, administrators, TRUE)) {
        result = ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "SetSecurityDescriptorOwner() fail");
    } else {
        wchar_t noName[] = L"";
        EXPLICIT_ACCESS_W access;
        BuildExplicitAccessWithNameW(&access, noName, KEY_ALL_ACCESS, SET_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
        access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        access.Trustee.TrusteeType = TRUSTEE_IS_GROUP;
        access.Trustee.ptstrName = static_cast<LPWSTR>(administrators);
        DWORD status = SetEntriesInAclW(1, &access, nullptr, &acl);
        if (status != ERROR_SUCCESS) {
            acl = nullptr;
            ReportError(SOURCE_INSTALL, __LINE__, status, REPORT_ALL, "SetEntriesInAcl()");
        } else if (!SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE)) {
            ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "SetSecurityDescriptorDacl()");
        } else {
            result = WriteOwnerThenDacl(hParent, lpSubKey, descriptor);
        }
    }

    free(descriptor);
    if (administrators)
        FreeSid(administrators);
    if (acl)
        LocalFree(acl);
    return result;
}
