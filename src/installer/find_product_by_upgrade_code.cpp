#include "driver/process_state.h"
#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "registry/registry.h"
#include "report/report.h"

namespace {

const DWORD CANNOT_PACK = 1;
const DWORD NO_LOCATION = 2;

}  // namespace

DWORD FindProductByUpgradeCode(GUID upgradeCode, GUID *lpProductCode, DWORD *lpReported)
{
    *lpReported = 0;
    wchar_t packed[38];
    if (BEStringFromCLSID(packed, upgradeCode) != S_OK)
        return CANNOT_PACK;

    // The first location whose key opens is the one that counts.
    wchar_t path[LOCATION_PATH_CHARS];
    HKEY key = nullptr;
    for (LPCWSTR location : UPGRADE_CODE_LOCATIONS) {
        LocationPath(path, LOCATION_PATH_CHARS, location, packed);
        LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | RegViewFlag, &key);
        if (status == ERROR_SUCCESS)
            break;
        key = nullptr;
        *lpReported |= ReportFailedOpen(status, path);
    }
    if (!key)
        return NO_LOCATION;

    static wchar_t name[VALUE_NAME_CHARS];
    LONG status = EnumValueName(key, 0, name);
    DWORD result = status != ERROR_SUCCESS ? static_cast<DWORD>(status)
                                           : static_cast<DWORD>(CLSIDFromBEString(name, lpProductCode));
    if (status != ERROR_SUCCESS && status != ERROR_NO_MORE_ITEMS)
        *lpReported |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                   "Can not read the products of %S", path);
    DWORD closing = CloseKeyOrReport(key, path);
    *lpReported |= closing;
    return closing ? closing : result;
}
