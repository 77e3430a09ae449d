// The installer searches that a scan (installer.h) answers from keys read
// once: the Components key for a product's component keys, the Folders key
// for its folders, and the two UpgradeCodes keys for the upgrade code that
// lists a product.
#pragma once

#include "win32api.h"

BOOL IsInstallerScanOpen();

// The Components key searched one level deep for keys that hold a value
// whose name contains lpPacked: prints, reports and removes what the
// search engine's one-level search does.
DWORD SearchComponents(LPCWSTR lpPacked, DWORD dwMode, DWORD fWarn);
void ForgetComponents();

// The values of the Folders key whose names contain the product code text:
// prints, reports and removes what DeleteValuesByName does.
DWORD SearchFolders(LPCWSTR lpProductCode, DWORD dwMode, DWORD fWarn);
void ForgetFolders();

// After a removal changed the key of an upgrade code in the location of that
// index, what was read of it is read again. 0, or the value of a report.
DWORD RereadUpgradeCodeKey(int location, LPCWSTR lpPackedUpgradeCode);
void ForgetUpgradeCodes();
