#include <cwchar>

#include "driver/process_state.h"
#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "installer/installer_scan.h"
#include "installer/key_snapshot.h"
#include "registry/registry.h"
#include "report/report.h"

namespace {

const DWORD NOT_LISTED = ERROR_NO_MORE_ITEMS;
const DWORD NO_LOCATION = ERROR_FILE_NOT_FOUND;
const DWORD STILL_SEARCHING = static_cast<DWORD>(-1);

// What was read of each location: its upgrade-code keys and their values.
// A subkey or value that cannot be listed is stepped over.
KeySnapshot UpgradeCodes[UPGRADE_CODE_LOCATION_COUNT];

DWORD ReadLocation(int location)
{
    KeySnapshot *snapshot = &UpgradeCodes[location];
    if (IsSnapshotCurrent(snapshot))
        return 0;
    ForgetSnapshot(snapshot);
    HKEY key;
    snapshot->lOpened =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, UPGRADE_CODE_LOCATIONS[location], 0, KEY_READ | RegViewFlag, &key);
    if (snapshot->lOpened != ERROR_SUCCESS) {
        snapshot->fRead = TRUE;
        snapshot->dwView = RegViewFlag;
        return 0;
    }
    DWORD result = ReadSnapshot(snapshot, key, 0, SKIP_ERRORS);
    snapshot->lClosed = RegCloseKey(key);
    if (result)
        ForgetSnapshot(snapshot);
    return result;
}

// The search closes each key once it is done with it: a failed close is
// reported with the close's own code (registry calls leave the last error
// alone) and ends the search with the report's value.
DWORD AfterClose(LONG closed, DWORD end, DWORD *lpReported)
{
    if (closed == ERROR_SUCCESS)
        return end;
    DWORD report = ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(closed), REPORT_ALL, "Can not RegCloseKey");
    *lpReported |= report;
    return report;
}

// The end of the search at this key: the upgrade code when it lists the
// product, else STILL_SEARCHING.
DWORD SearchUpgradeCode(const KeySnapshot *snapshot, const SnapshotEntry *key, LPCWSTR lpPacked, GUID *lpUpgradeCode,
                        DWORD *lpReported)
{
    DWORD end = STILL_SEARCHING;
    LPCWSTR value = FirstValueName(snapshot, key);
    for (DWORD i = 0; i < key->dwValueCount && end == STILL_SEARCHING; ++i, value = NextName(value)) {
        if (wcscmp(value, lpPacked) != 0)
            continue;
        LPCWSTR name = SnapshotEntryName(snapshot, key);
        HRESULT parsed = CLSIDFromBEString(name, lpUpgradeCode);
        if (parsed != S_OK)
            *lpReported |= ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(parsed), REPORT_ALL,
                                       "Can not parse GUID: %S", name);
        end = static_cast<DWORD>(parsed);
    }
    return AfterClose(key->lClosed, end, lpReported);
}

DWORD SearchLocation(int location, LPCWSTR lpPacked, GUID *lpUpgradeCode, DWORD *lpReported)
{
    const KeySnapshot *snapshot = &UpgradeCodes[location];
    for (DWORD i = 0; i < snapshot->dwEntryCount; ++i) {
        const SnapshotEntry *key = &snapshot->lpEntries[i];
        if (key->fGone)
            continue;
        if (key->lOpened != ERROR_SUCCESS) {
            wchar_t path[LOCATION_PATH_CHARS + KEY_NAME_CHARS];
            LocationPath(path, LOCATION_PATH_CHARS + KEY_NAME_CHARS, UPGRADE_CODE_LOCATIONS[location],
                         SnapshotEntryName(snapshot, key));
            *lpReported |= SayUnopenedKey(key->lOpened, path, 0);
            continue;
        }
        DWORD end = SearchUpgradeCode(snapshot, key, lpPacked, lpUpgradeCode, lpReported);
        if (end != STILL_SEARCHING)
            return end;
    }
    return STILL_SEARCHING;
}

DWORD FindInLocations(LPCWSTR lpPacked, GUID *lpUpgradeCode, DWORD *lpReported)
{
    DWORD end = NO_LOCATION;
    for (int location = 0; location < UPGRADE_CODE_LOCATION_COUNT; ++location) {
        DWORD failure = ReadLocation(location);
        if (failure) {
            *lpReported |= failure;
            return failure;
        }
        const KeySnapshot *snapshot = &UpgradeCodes[location];
        if (snapshot->lOpened != ERROR_SUCCESS) {
            *lpReported |= SayUnopenedKey(snapshot->lOpened, UPGRADE_CODE_LOCATIONS[location], 0);
            continue;
        }
        end = NOT_LISTED;
        DWORD found = SearchLocation(location, lpPacked, lpUpgradeCode, lpReported);
        found = AfterClose(snapshot->lClosed, found, lpReported);
        if (found != STILL_SEARCHING)
            return found;
    }
    return end;
}

}  // namespace

DWORD FindUpgradeCodeByProduct(GUID product, GUID *lpUpgradeCode, DWORD *lpReported)
{
    *lpReported = 0;
    wchar_t packed[38];
    HRESULT packing = BEStringFromCLSID(packed, product);
    if (packing != S_OK) {
        *lpReported =
            ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(packing), REPORT_ALL, "BEStringFromCLSID()");
        return static_cast<DWORD>(packing);
    }
    DWORD found = FindInLocations(packed, lpUpgradeCode, lpReported);
    if (!IsInstallerScanOpen())
        ForgetUpgradeCodes();
    return found;
}

DWORD RereadUpgradeCodeKey(int location, LPCWSTR lpPackedUpgradeCode)
{
    KeySnapshot *snapshot = &UpgradeCodes[location];
    SnapshotEntry *key = IsSnapshotCurrent(snapshot) ? FindSnapshotEntry(snapshot, lpPackedUpgradeCode) : nullptr;
    if (!key)
        return 0;
    wchar_t path[LOCATION_PATH_CHARS];
    LocationPath(path, LOCATION_PATH_CHARS, UPGRADE_CODE_LOCATIONS[location], lpPackedUpgradeCode);
    return RereadSnapshotEntry(snapshot, key, HKEY_LOCAL_MACHINE, path, 0);
}

void ForgetUpgradeCodes()
{
    for (KeySnapshot &snapshot : UpgradeCodes)
        ForgetSnapshot(&snapshot);
}
