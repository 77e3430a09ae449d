#include <cwchar>

#include "driver/process_state.h"
#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const DWORD NOT_LISTED = ERROR_NO_MORE_ITEMS;
const DWORD NO_LOCATION = ERROR_FILE_NOT_FOUND;
const DWORD STILL_SEARCHING = static_cast<DWORD>(-1);

struct Buffers {
    wchar_t subkey[INSTALLER_NAME_CHARS];
    wchar_t value[INSTALLER_NAME_CHARS];
    wchar_t path[INSTALLER_NAME_CHARS];
    DWORD failures;  // reports of keys that failed to open for another reason than absence or refusal
};

HKEY OpenOrSay(LPCWSTR lpPath, Buffers &buffers)
{
    HKEY key;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, lpPath, 0, KEY_READ | RegViewFlag, &key);
    if (status == ERROR_SUCCESS)
        return key;
    if (status == ERROR_ACCESS_DENIED || IsAbsentKey(status))
        PrintOut(status == ERROR_ACCESS_DENIED ? L"Access denied (skipping): %ls\n" : L"Key not exist: %ls\n", lpPath);
    else
        buffers.failures |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status), REPORT_ALL,
                                        "Can not open key: %S", lpPath);
    return nullptr;
}

DWORD CloseKey(HKEY key, DWORD result)
{
    if (RegCloseKey(key) != ERROR_SUCCESS)
        return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Can not RegCloseKey");
    return result;
}

// An item that cannot be read is stepped over; any other failure ends the
// enumeration, which would otherwise fail at every index without end.
bool SkipsItem(LONG status)
{
    return status == ERROR_MORE_DATA;
}

// STILL_SEARCHING, or the outcome once the product's value is found.
DWORD SearchUpgradeCode(HKEY key, LPCWSTR lpPacked, Buffers &buffers, GUID *lpUpgradeCode)
{
    for (DWORD index = 0;; ++index) {
        DWORD length = INSTALLER_NAME_CHARS - 1;
        LONG status = RegEnumValueW(key, index, buffers.value, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            if (SkipsItem(status))
                continue;
            return STILL_SEARCHING;
        }
        if (wcscmp(buffers.value, lpPacked) != 0)
            continue;
        HRESULT parsed = CLSIDFromBEString(buffers.subkey, lpUpgradeCode);
        if (parsed != S_OK)
            ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(parsed), REPORT_ALL, "Can not parse GUID: %S",
                        buffers.subkey);
        return static_cast<DWORD>(parsed);
    }
}

DWORD SearchLocation(HKEY location, LPCWSTR lpLocation, LPCWSTR lpPacked, Buffers &buffers, GUID *lpUpgradeCode)
{
    for (DWORD index = 0;; ++index) {
        DWORD length = INSTALLER_NAME_CHARS - 1;
        LONG status = RegEnumKeyExW(location, index, buffers.subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) {
            if (SkipsItem(status))
                continue;
            return STILL_SEARCHING;
        }
        LocationPath(buffers.path, INSTALLER_NAME_CHARS, lpLocation, buffers.subkey);
        HKEY key = OpenOrSay(buffers.path, buffers);
        if (!key)
            continue;
        DWORD found = SearchUpgradeCode(key, lpPacked, buffers, lpUpgradeCode);
        found = CloseKey(key, found);
        if (found != STILL_SEARCHING)
            return found;
    }
}

}  // namespace

DWORD FindUpgradeCodeByProduct(GUID product, GUID *lpUpgradeCode)
{
    wchar_t packed[38];
    HRESULT packing = BEStringFromCLSID(packed, product);
    if (packing != S_OK) {
        ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(packing), REPORT_ALL, "BEStringFromCLSID()");
        return static_cast<DWORD>(packing);
    }

    static Buffers buffers;
    buffers.failures = 0;
    bool opened = false;
    for (LPCWSTR location : UPGRADE_CODE_LOCATIONS) {
        HKEY key = OpenOrSay(location, buffers);
        if (!key)
            continue;
        opened = true;
        DWORD found = SearchLocation(key, location, packed, buffers, lpUpgradeCode);
        found = CloseKey(key, found);
        if (found != STILL_SEARCHING)
            return found;
    }
    if (buffers.failures)
        return buffers.failures;
    return opened ? NOT_LISTED : NO_LOCATION;
}
