#include "plain_removal.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "driver/process_state.h"
#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const DWORD NOT_LISTED = ERROR_NO_MORE_ITEMS;
const DWORD NO_LOCATION = ERROR_FILE_NOT_FOUND;
const size_t MAX_PRODUCTS = 256;

// How a search of the upgrade codes ended (0: found), and the OR of the
// reports it made on the way: a key it could not read may list the product.
struct Search {
    DWORD end;
    DWORD reported;
};

// A failed close is reported, and the search ends with the report's value.
bool CloseFails(HKEY key, Search *search)
{
    LONG closed = RegCloseKey(key);
    if (closed == ERROR_SUCCESS)
        return false;
    search->end = ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(closed), REPORT_ALL, "Can not RegCloseKey");
    search->reported |= search->end;
    return true;
}

// An entry that cannot be listed is stepped over; the first of a listing is
// reported where it is met, and an error about the key itself ends it. True
// when the listing ends here.
bool Unlisted(LONG status, bool values, bool *reported, Search *search)
{
    if (!*reported)
        search->reported |= values ? ValueEnumEndOrReport(status) : KeyEnumEndOrReport(status);
    *reported = true;
    return status == ERROR_KEY_DELETED || status == ERROR_INVALID_HANDLE;
}

// Whether one upgrade-code key lists the product; the search then ends with
// the upgrade code that the key's name packs.
bool Lists(HKEY key, LPCWSTR lpName, LPCWSTR lpPacked, GUID *lpUpgradeCode, Search *search)
{
    std::vector<wchar_t> value(VALUE_NAME_CHARS);
    LONG status;
    bool reported = false;
    for (DWORD index = 0; (status = EnumValueName(key, index, value.data())) != ERROR_NO_MORE_ITEMS; ++index) {
        if (status != ERROR_SUCCESS && Unlisted(status, true, &reported, search))
            break;
        if (status != ERROR_SUCCESS || wcscmp(value.data(), lpPacked) != 0)
            continue;
        HRESULT parsed = CLSIDFromBEString(lpName, lpUpgradeCode);
        search->end = static_cast<DWORD>(parsed);
        if (parsed != S_OK)
            search->reported |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(parsed), REPORT_ALL,
                                            "Can not parse GUID: %S", lpName);
        return true;
    }
    return false;
}

// True when the search ends in this location.
bool SearchLocation(HKEY hLocation, LPCWSTR lpLocation, LPCWSTR lpPacked, GUID *lpUpgradeCode, Search *search)
{
    wchar_t name[KEY_NAME_CHARS];
    LONG status;
    bool reported = false;
    for (DWORD index = 0; (status = EnumKeyName(hLocation, index, name)) != ERROR_NO_MORE_ITEMS; ++index) {
        if (status != ERROR_SUCCESS && Unlisted(status, false, &reported, search))
            break;
        if (status != ERROR_SUCCESS)
            continue;
        std::wstring path = std::wstring(lpLocation) + name;
        HKEY key;
        status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | RegViewFlag, &key);
        if (status != ERROR_SUCCESS) {
            search->reported |= SayUnopenedKey(status, path.c_str(), 0);
            continue;
        }
        bool listed = Lists(key, name, lpPacked, lpUpgradeCode, search);
        if (CloseFails(key, search) || listed)
            return true;
    }
    return false;
}

Search FindUpgradeCode(GUID product, GUID *lpUpgradeCode)
{
    Search search = {NO_LOCATION, 0};
    wchar_t packed[38];
    HRESULT packing = BEStringFromCLSID(packed, product);
    if (packing != S_OK) {
        search.end =
            ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(packing), REPORT_ALL, "BEStringFromCLSID()");
        search.reported = search.end;
        return search;
    }
    for (LPCWSTR location : UPGRADE_CODE_LOCATIONS) {
        HKEY key;
        LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, location, 0, KEY_READ | RegViewFlag, &key);
        if (status != ERROR_SUCCESS) {
            search.reported |= SayUnopenedKey(status, location, 0);
            continue;
        }
        search.end = NOT_LISTED;
        bool ended = SearchLocation(key, location, packed, lpUpgradeCode, &search);
        if (CloseFails(key, &search) || ended)
            return search;
    }
    return search;
}

// The first value of the upgrade code's key that opens first; false when it
// names no product.
bool FindProduct(LPCWSTR lpPacked, GUID *lpProduct, DWORD *lpReported)
{
    for (LPCWSTR location : UPGRADE_CODE_LOCATIONS) {
        std::wstring path = std::wstring(location) + lpPacked;
        HKEY key;
        LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | RegViewFlag, &key);
        if (status != ERROR_SUCCESS) {
            *lpReported |= ReportFailedOpen(status, path.c_str());
            continue;
        }
        std::vector<wchar_t> name(VALUE_NAME_CHARS);
        LONG read = EnumValueName(key, 0, name.data());
        if (read != ERROR_SUCCESS && read != ERROR_NO_MORE_ITEMS)
            *lpReported |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(read), REPORT_ALL,
                                       "Can not read the products of %S", path.c_str());
        bool found = read == ERROR_SUCCESS && CLSIDFromBEString(name.data(), lpProduct) == S_OK;
        DWORD closing = CloseKeyOrReport(key, path.c_str());
        *lpReported |= closing;
        return found && !closing;
    }
    return false;
}

DWORD RemoveEmptyUpgradeCodeKeys(LPCWSTR lpPacked, DWORD dwMode, DWORD fWarn)
{
    DWORD result = 0;
    for (LPCWSTR location : UPGRADE_CODE_LOCATIONS) {
        std::wstring path = std::wstring(location) + lpPacked;
        HKEY key;
        LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | RegViewFlag, &key);
        if (status != ERROR_SUCCESS) {
            result |= ReportFailedOpen(status, path.c_str());
            continue;
        }
        std::vector<wchar_t> name(VALUE_NAME_CHARS);
        LONG first = EnumValueName(key, 0, name.data());
        if (first != ERROR_SUCCESS && first != ERROR_NO_MORE_ITEMS)
            result |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(first), REPORT_ALL,
                                  "Can not read the products of %S", path.c_str());
        result |= CloseKeyOrReport(key, path.c_str());
        if (first == ERROR_NO_MORE_ITEMS)
            result |= DeleteKey(HKEY_LOCAL_MACHINE, path.c_str(), dwMode, fWarn);
    }
    return result;
}

}  // namespace

DWORD PlainRemoveProduct(LPCWSTR lpProductCode, DWORD dwMode, DWORD fWarn)
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
    for (LPCWSTR location : {FEATURES_LOCATION, PRODUCTS_LOCATION, USERDATA_PRODUCTS_LOCATION})
        result |= DeleteKey(HKEY_LOCAL_MACHINE, (std::wstring(location) + packed).c_str(), dwMode, fWarn);
    result |= RecurseSearchRegTree(HKEY_LOCAL_MACHINE, COMPONENTS_LOCATION, 0, nullptr, packed, nullptr, dwMode, fWarn,
                                   FALSE);
    std::wstring uninstall = std::wstring(UNINSTALL_LOCATION) + lpProductCode;
    PrintOut(L"%ls", uninstall.c_str());
    result |= DeleteKey(HKEY_LOCAL_MACHINE, uninstall.c_str(), dwMode, fWarn);
    PrintOut(L"%ls", FOLDERS_LOCATION);
    result |= DeleteValuesByName(HKEY_LOCAL_MACHINE, FOLDERS_LOCATION, lpProductCode, dwMode, fWarn);

    GUID upgradeCode;
    Search found = FindUpgradeCode(product, &upgradeCode);
    result |= found.reported;
    if (found.end != 0)
        return result;
    wchar_t packedUpgradeCode[38];
    result |= static_cast<DWORD>(BEStringFromCLSID(packedUpgradeCode, upgradeCode));
    for (LPCWSTR location : UPGRADE_CODE_LOCATIONS) {
        std::wstring path = std::wstring(location) + packedUpgradeCode;
        PrintOut(L"%ls%ls", location, path.c_str());
        result |= DeleteValuesByName(HKEY_LOCAL_MACHINE, path.c_str(), packed, dwMode, fWarn);
    }

    // A search that could not read every key may have missed a listing.
    GUID stillListed;
    found = FindUpgradeCode(product, &stillListed);
    result |= found.reported;
    if (found.end != NOT_LISTED || found.reported)
        return result;
    for (LPCWSTR location : UPGRADE_CODE_LOCATIONS) {
        std::wstring path = std::wstring(location) + packedUpgradeCode;
        PrintOut(L"%ls%ls", location, path.c_str());
        result |= DeleteKey(HKEY_LOCAL_MACHINE, path.c_str(), dwMode, fWarn);
    }
    return result;
}

DWORD PlainRemoveByUpgradeCode(LPCWSTR lpUpgradeCode, DWORD dwMode, DWORD fWarn)
{
    GUID upgradeCode;
    HRESULT parsed = IIDFromString(lpUpgradeCode, &upgradeCode);
    if (FAILED(parsed))
        return static_cast<DWORD>(parsed);
    wchar_t packed[38];
    BEStringFromCLSID(packed, upgradeCode);

    DWORD result = 0;
    std::vector<GUID> handled;
    GUID product;
    while (handled.size() < MAX_PRODUCTS && FindProduct(packed, &product, &result) &&
           std::none_of(handled.begin(), handled.end(),
                        [&](const GUID &done) { return memcmp(&done, &product, sizeof product) == 0; })) {
        LPOLESTR productCode;
        if (FAILED(StringFromIID(product, &productCode)))
            break;
        if (dwMode == MODE_REPORT)
            PrintOut(L"UpgradeCode %ls lists product %ls\n", lpUpgradeCode, productCode);
        result |= PlainRemoveProduct(productCode, dwMode, fWarn);
        CoTaskMemFree(productCode);
        handled.push_back(product);
    }
    return result | RemoveEmptyUpgradeCodeKeys(packed, dwMode, fWarn);
}
