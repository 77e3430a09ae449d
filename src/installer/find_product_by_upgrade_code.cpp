#include "driver/process_state.h"
#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "registry/registry.h"
#include "report/report.h"

namespace {

const DWORD CANNOT_PACK = 1;
const DWORD NO_LOCATION = 2;

}  // namespace

DWORD FindProductByUpgradeCode(GUID upgradeCode, GUID *lpProductCode)
{
    wchar_t packed[38];
    if (BEStringFromCLSID(packed, upgradeCode) != S_OK)
        return CANNOT_PACK;

    // The first location whose key opens is the one that counts.
    static wchar_t path[INSTALLER_NAME_CHARS];
    HKEY key = nullptr;
    DWORD failures = 0;
    for (LPCWSTR location : UPGRADE_CODE_LOCATIONS) {
        LocationPath(path, INSTALLER_NAME_CHARS, location, packed);
        LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | RegViewFlag, &key);
        if (status == ERROR_SUCCESS)
            break;
        key = nullptr;
        if (status != ERROR_ACCESS_DENIED && !IsAbsentKey(status))
            failures |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                    "Can not open key: %S", path);
    }
    if (!key)
        return failures ? failures : NO_LOCATION;

    static wchar_t name[INSTALLER_NAME_CHARS];
    DWORD length = INSTALLER_NAME_CHARS - 1;
    LONG status = RegEnumValueW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    DWORD result = status != ERROR_SUCCESS ? static_cast<DWORD>(status)
                                           : static_cast<DWORD>(CLSIDFromBEString(name, lpProductCode));
    if (status != ERROR_SUCCESS && status != ERROR_NO_MORE_ITEMS)
        result = ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                             "Can not read the products of %S", path);
    if ((status = RegCloseKey(key)) != ERROR_SUCCESS) {
        ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL, "Can not RegCloseKey: %S", path);
        return static_cast<DWORD>(status);
    }
    return result;
}
