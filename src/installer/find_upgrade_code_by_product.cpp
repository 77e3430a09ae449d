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
// A subkey or value that cannot be listed is stepped over, and reported once
// a search has gone past it: the product may be listed there.
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

// A listing that steps over entries it cannot read reports the first such
// error where it meets it: once it has read `skippedAt` entries.
DWORD SkippedEntry(LONG first, DWORD skippedAt, DWORD read, bool values)
{
    if (first == ERROR_NO_MORE_ITEMS || read < skippedAt)
        return 0;
    return values ? ValueEnumEndOrReport(first) : KeyEnumEndOrReport(first);
}

// The end of the search at this key: the upgrade code when it lists the
// product, else STILL_SEARCHING.
DWORD SearchUpgradeCode(const KeySnapshot *snapshot, const SnapshotEntry *key, LPCWSTR lpPacked, GUID *lpUpgradeCode,
                        DWORD *lpReported)
{
    DWORD end = STILL_SEARCHING;
    LPCWSTR value = FirstValueName(snapshot, key);
    DWORD i = 0;
    for (; i < key->dwValueCount && wcscmp(value, lpPacked) != 0; ++i)
        value = NextName(value);
    *lpReported |= SkippedEntry(key->lValuesEnd, key->dwSkippedAt, i, true);
    if (i < key->dwValueCount) {
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
        // An entry that could not be listed came before this one.
        if (i == snapshot->dwSkippedAt)
            *lpReported |= SkippedEntry(snapshot->lEnd, snapshot->dwSkippedAt, i, false);
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
    if (snapshot->dwSkippedAt >= snapshot->dwEntryCount)
        *lpReported |= SkippedEntry(snapshot->lEnd, snapshot->dwSkippedAt, snapshot->dwEntryCount, false);
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
    if (!IsSnapshotCurrent(snapshot))
        return 0;
    SnapshotEntry *key = FindSnapshotEntry(snapshot, lpPackedUpgradeCode);
    // A key that was never read may be the entry the listing could not
    // read: the location is read again when next searched.
    if (!key && snapshot->lEnd != ERROR_NO_MORE_ITEMS)
        ForgetSnapshot(snapshot);
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
