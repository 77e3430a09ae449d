// Repairs of shared system settings that the products changed: the product
// family's entries are taken out, everything else is kept.
#pragma once

#include "win32api.h"

// Take "vxtls" (TLS) and "vxssl" (SSL) out of the Local Security Authority's
// "Security Packages"; in mode 1 the SSL repair also puts back the system
// packages that are missing. 0, a Windows error code, or a report's value.
DWORD TlsRegUninstall(DWORD dwMode, DWORD fWarn);
DWORD SslRegUninstall(DWORD dwMode, DWORD fWarn);

// Makes "cryptnet.dll" the default certificate revocation provider again
// (mode 1) and reports any other one as residue.
DWORD CertDllVerifyRevocationRegUninstall(DWORD dwMode, DWORD fWarn);

// Asks the system to write the key at lpSubKey under HKEY_LOCAL_MACHINE to
// disk; failures do not matter.
void FlushRoot(LPCWSTR lpSubKey);
