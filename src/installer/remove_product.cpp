#include <initializer_list>

#include "driver/process_state.h"
#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "installer/installer_scan.h"
#include "registry/registry.h"
#include "report/console_text.h"

namespace {

const DWORD NOT_LISTED = ERROR_NO_MORE_ITEMS;

}  // namespace

DWORD RemoveProduct(LPCWSTR lpProductCode, DWORD dwMode, DWORD fWarn)
{
    GUID product;
    HRESULT parsed = IIDFromString(lpProductCode, &product);
    if (FAILED(parsed))
        return static_cast<DWORD>(parsed);
    wchar_t packed[38];
    HRESULT packing = BEStringFromCLSID(packed, product);
    if (packing != S_OK)
        return static_cast<DWORD>(packing);

    DWORD result = 0;
    wchar_t path[LOCATION_PATH_CHARS];
    for (LPCWSTR location : {FEATURES_LOCATION, PRODUCTS_LOCATION, USERDATA_PRODUCTS_LOCATION}) {
        LocationPath(path, LOCATION_PATH_CHARS, location, packed);
        result |= DeleteKey(HKEY_LOCAL_MACHINE, path, dwMode, fWarn);
    }
    // A component key lists the products that share the component: one that
    // names this product goes whole, one level below the Components key.
    result |= SearchComponents(packed, dwMode, fWarn);

    // These lines run on into the first line that the engine prints.
    LocationPath(path, LOCATION_PATH_CHARS, UNINSTALL_LOCATION, lpProductCode);
    PrintOut(L"%ls", path);
    result |= DeleteKey(HKEY_LOCAL_MACHINE, path, dwMode, fWarn);
    PrintOut(L"%ls", FOLDERS_LOCATION);
    result |= SearchFolders(lpProductCode, dwMode, fWarn);

    // What the searches of the upgrade codes reported counts: a key they
    // could not read may list the product, which then stays behind.
    GUID upgradeCode;
    DWORD reported;
    DWORD found = FindUpgradeCodeByProduct(product, &upgradeCode, &reported);
    result |= reported;
    if (found != 0)
        return result;
    wchar_t packedUpgradeCode[38];
    result |= static_cast<DWORD>(BEStringFromCLSID(packedUpgradeCode, upgradeCode));
    for (int location = 0; location < UPGRADE_CODE_LOCATION_COUNT; ++location) {
        LocationPath(path, LOCATION_PATH_CHARS, UPGRADE_CODE_LOCATIONS[location], packedUpgradeCode);
        PrintOut(L"%ls%ls", UPGRADE_CODE_LOCATIONS[location], path);
        result |= DeleteValuesByName(HKEY_LOCAL_MACHINE, path, packed, dwMode, fWarn);
        if (dwMode == MODE_REMOVE)
            result |= RereadUpgradeCodeKey(location, packedUpgradeCode);
    }

    // The upgrade code's keys go only once no upgrade code lists the product,
    // as far as every key could be read.
    GUID stillListed;
    found = FindUpgradeCodeByProduct(product, &stillListed, &reported);
    result |= reported;
    if (found != NOT_LISTED || reported)
        return result;
    for (int location = 0; location < UPGRADE_CODE_LOCATION_COUNT; ++location) {
        LocationPath(path, LOCATION_PATH_CHARS, UPGRADE_CODE_LOCATIONS[location], packedUpgradeCode);
        PrintOut(L"%ls%ls", UPGRADE_CODE_LOCATIONS[location], path);
        result |= DeleteKey(HKEY_LOCAL_MACHINE, path, dwMode, fWarn);
        if (dwMode == MODE_REMOVE)
            result |= RereadUpgradeCodeKey(location, packedUpgradeCode);
    }
    return result;
}
