#include <cstring>

#include "driver/process_state.h"
#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "installer/installer_scan.h"
#include "registry/registry.h"
#include "report/console_text.h"

namespace {

// More products under one upgrade code than anyone installs.
const int MAX_PRODUCTS = 256;

// The search ends quietly when there is nothing (more) to find; any other
// end was reported and counts as a failure.
bool FoundNothing(DWORD found)
{
    return found == 1 || found == ERROR_FILE_NOT_FOUND || found == ERROR_NO_MORE_ITEMS ||
           found == static_cast<DWORD>(E_INVALIDARG);
}

bool AlreadyHandled(const GUID *handled, int count, const GUID &product)
{
    for (int i = 0; i < count; ++i)
        if (memcmp(&handled[i], &product, sizeof product) == 0)
            return true;
    return false;
}

// An upgrade-code key that lists no product is what a run interrupted
// between deleting a product's values and the key itself leaves; no product
// will ever lead to it again, so it is removed (or reported) here.
DWORD RemoveEmptyUpgradeCodeKeys(const GUID &upgradeCode, DWORD dwMode, DWORD fWarn)
{
    wchar_t packed[38];
    if (BEStringFromCLSID(packed, upgradeCode) != S_OK)
        return 0;
    DWORD result = 0;
    for (int location = 0; location < UPGRADE_CODE_LOCATION_COUNT; ++location) {
        wchar_t path[LOCATION_PATH_CHARS];
        LocationPath(path, LOCATION_PATH_CHARS, UPGRADE_CODE_LOCATIONS[location], packed);
        HKEY key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | RegViewFlag, &key) != ERROR_SUCCESS)
            continue;
        wchar_t name[2];
        DWORD length = 2;
        LONG first = RegEnumValueW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
        if (first != ERROR_NO_MORE_ITEMS)
            continue;
        result |= DeleteKey(HKEY_LOCAL_MACHINE, path, dwMode, fWarn);
        if (dwMode == MODE_REMOVE)
            result |= RereadUpgradeCodeKey(location, packed);
    }
    return result;
}

}  // namespace

// Each product found is handed to RemoveProduct once; the loop ends when the
// search finds nothing new, which is at once in report mode and whenever a
// removal leaves its product listed.
DWORD RemoveByUpgradeCode(LPCWSTR lpUpgradeCode, DWORD dwMode, DWORD fWarn)
{
    GUID upgradeCode;
    HRESULT parsed = IIDFromString(lpUpgradeCode, &upgradeCode);
    if (FAILED(parsed))
        return static_cast<DWORD>(parsed);

    DWORD result = 0;
    GUID handled[MAX_PRODUCTS];
    int count = 0;
    GUID product;
    DWORD found = 0;
    while (count < MAX_PRODUCTS && (found = FindProductByUpgradeCode(upgradeCode, &product)) == 0 &&
           !AlreadyHandled(handled, count, product)) {
        LPOLESTR productCode;
        if (FAILED(StringFromIID(product, &productCode)))
            break;
        PrintOut(L"UpgradeCode %ls lists product %ls\n", lpUpgradeCode, productCode);
        result |= RemoveProduct(productCode, dwMode, fWarn);
        CoTaskMemFree(productCode);
        handled[count++] = product;
    }
    if (!FoundNothing(found))
        result |= found;
    return result | RemoveEmptyUpgradeCodeKeys(upgradeCode, dwMode, fWarn);
}
