// Where Windows Installer records products, all under HKEY_LOCAL_MACHINE.
#pragma once

#include "win32api.h"

extern const wchar_t FEATURES_LOCATION[];
extern const wchar_t PRODUCTS_LOCATION[];
extern const wchar_t USERDATA_PRODUCTS_LOCATION[];
extern const wchar_t COMPONENTS_LOCATION[];
extern const wchar_t UNINSTALL_LOCATION[];
extern const wchar_t FOLDERS_LOCATION[];

// The two places that list products by upgrade code, searched in this order.
const int UPGRADE_CODE_LOCATION_COUNT = 2;
extern const wchar_t *const UPGRADE_CODE_LOCATIONS[UPGRADE_CODE_LOCATION_COUNT];

const size_t LOCATION_PATH_CHARS = 260;

// lpLocation followed by lpName in a buffer of cchPath characters:
// LOCATION_PATH_CHARS for a code, that and KEY_NAME_CHARS for any key name.
void LocationPath(wchar_t *lpPath, size_t cchPath, LPCWSTR lpLocation, LPCWSTR lpName);
