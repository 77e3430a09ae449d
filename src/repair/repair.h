// Repairs of shared system settings that the products changed.
#pragma once

#include "win32api.h"

// Take "vxtls" / "vxssl" out of the LSA "Security Packages" list; in remove
// mode SslRegUninstall also puts back missing system packages.
DWORD TlsRegUninstall(DWORD dwMode, DWORD fWarn);
DWORD SslRegUninstall(DWORD dwMode, DWORD fWarn);
// Sets the default revocation provider back to "cryptnet.dll".
DWORD CertDllVerifyRevocationRegUninstall(DWORD dwMode, DWORD fWarn);
// Asks the system to write the key under HKEY_LOCAL_MACHINE to disk.
void FlushRoot(LPCWSTR lpPath);
