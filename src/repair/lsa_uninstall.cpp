#include "repair/repair.h"
#include "repair/security_packages.h"

DWORD TlsRegUninstall(DWORD dwMode, DWORD fWarn)
{
    return RemoveSecurityPackage(L"TlsRegUninstall", L"vxtls", FALSE, dwMode, fWarn);
}

DWORD SslRegUninstall(DWORD dwMode, DWORD fWarn)
{
    return RemoveSecurityPackage(L"SslRegUninstall", L"vxssl", TRUE, dwMode, fWarn);
}
