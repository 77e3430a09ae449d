// Windows Installer registrations: the packed GUID text of installer key
// names, and removal of a product's registrations or of every product under
// an upgrade code.
#pragma once

#include "win32api.h"

// Packed text: 32 upper-case hexadecimal digits, the GUID's bytes in memory
// order, each written low nibble first. lpOut holds at least 33 characters.
HRESULT BEStringFromCLSID(LPWSTR lpOut, GUID guid);
// The plain text, the registry form without braces and hyphens; only exactly
// 32 hexadecimal digits are accepted, anything else is E_INVALIDARG.
HRESULT CLSIDFromHexString(LPCWSTR lpText, GUID *lpGuid);
HRESULT CLSIDFromBEString(LPCWSTR lpText, GUID *lpGuid);

// Between these two, the searches of RemoveProduct and RemoveByUpgradeCode
// read the Components, Folders and UpgradeCodes keys once (in the current view) and
// answer every product from what they read, kept up to date as they remove;
// outside, each search reads them afresh. Nothing else may change those keys
// while a scan is open, and a scan must end within its pass.
void BeginInstallerScan();
void EndInstallerScan();

DWORD RemoveProduct(LPCWSTR lpProductCode, DWORD dwMode, DWORD fWarn);
DWORD RemoveByUpgradeCode(LPCWSTR lpUpgradeCode, DWORD dwMode, DWORD fWarn);
// 0 with the upgrade code stored; 259 when no upgrade code lists the product
// but a location was opened; 2 when none was; else a failure code. Keys it
// could not read are reported on the way, and *lpReported is the OR of every
// report: with any, a key it could not read may list the product too.
DWORD FindUpgradeCodeByProduct(GUID product, GUID *lpUpgradeCode, DWORD *lpReported);
// 0 with the first product listed under the upgrade code, nonzero when it
// found none; *lpReported is the OR of the failures it reported (0 when there
// was nothing to find: no key, no value, a first value that names no product).
DWORD FindProductByUpgradeCode(GUID upgradeCode, GUID *lpProductCode, DWORD *lpReported);
