#include <cstring>

#include "driver/process_state.h"
#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "installer/installer_scan.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

// More products under one upgrade code than anyone installs.
const int MAX_PRODUCTS = 256;

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
    static wchar_t name[VALUE_NAME_CHARS];
    DWORD result = 0;
    for (int location = 0; location < UPGRADE_CODE_LOCATION_COUNT; ++location) {
        wchar_t path[LOCATION_PATH_CHARS];
        LocationPath(path, LOCATION_PATH_CHARS, UPGRADE_CODE_LOCATIONS[location], packed);
        HKEY key;
        LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | RegViewFlag, &key);
        if (status != ERROR_SUCCESS) {
            result |= ReportFailedOpen(status, path);
            continue;
        }
        LONG first = EnumValueName(key, 0, name);
        if (first != ERROR_SUCCESS && first != ERROR_NO_MORE_ITEMS)
            result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(first), REPORT_ALL,
                                  "Can not read the products of %S", path);
        result |= CloseKeyOrReport(key, path);
        if (first != ERROR_NO_MORE_ITEMS)
            continue;
        result |= DeleteKey(HKEY_LOCAL_MACHINE, path, dwMode, fWarn);
        if (dwMode == MODE_REMOVE)
            result |= RereadUpgradeCodeKey(location, packed);
    }
    return result;
}

}  // namespace

// Each product found is handed to RemoveProduct once (and named in report
// mode); the loop ends when the search finds nothing new, which is at once in
// report mode and whenever a removal leaves its product listed.
DWORD RemoveByUpgradeCode(LPCWSTR lpUpgradeCode, DWORD dwMode, DWORD fWarn)
{
    GUID upgradeCode;
    HRESULT parsed = IIDFromString(lpUpgradeCode, &upgradeCode);
    if (FAILED(parsed))
        return static_cast<DWORD>(parsed);

    DWORD result = 0;
    GUID handled[MAX_PRODUCTS];
    int count = 0;
    while (count < MAX_PRODUCTS) {
        GUID product;
        DWORD reported;
        DWORD found = FindProductByUpgradeCode(upgradeCode, &product, &reported);
        result |= reported;
        if (found != 0 || AlreadyHandled(handled, count, product))
            break;
        LPOLESTR productCode;
        if (FAILED(StringFromIID(product, &productCode)))
            break;
        if (dwMode == MODE_REPORT)
            PrintOut(L"UpgradeCode %ls lists product %ls\n", lpUpgradeCode, productCode);
        result |= RemoveProduct(productCode, dwMode, fWarn);
        CoTaskMemFree(productCode);
        handled[count++] = product;
    }
    return result | RemoveEmptyUpgradeCodeKeys(upgradeCode, dwMode, fWarn);
}
