#include "installer/installer_locations.h"

#include <cwchar>

const wchar_t FEATURES_LOCATION[] = L"SOFTWARE\\Classes\\Installer\\Features\\";
const wchar_t PRODUCTS_LOCATION[] = L"SOFTWARE\\Classes\\Installer\\Products\\";
const wchar_t USERDATA_PRODUCTS_LOCATION[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\";
const wchar_t COMPONENTS_LOCATION[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\";
const wchar_t UNINSTALL_LOCATION[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const wchar_t FOLDERS_LOCATION[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders\\";

const wchar_t *const UPGRADE_CODE_LOCATIONS[UPGRADE_CODE_LOCATION_COUNT] = {
    L"SOFTWARE\\Classes\\Installer\\UpgradeCodes\\",
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes\\",
};

void LocationPath(wchar_t *lpPath, size_t cchPath, LPCWSTR lpLocation, LPCWSTR lpName)
{
    swprintf(lpPath, cchPath, L"%ls%ls", lpLocation, lpName);
}
