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
    DWORD result = ReadSnapshot(snapshot, key, 0);
    if (RegCloseKey(key) != ERROR_SUCCESS)
        result |= ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Can not RegCloseKey");
    if (result)
        ForgetSnapshot(snapshot);
    return result;
}

// The outcome once the product's value is found under this key, else STILL_SEARCHING.
DWORD SearchUpgradeCode(const KeySnapshot *snapshot, const SnapshotEntry *key, LPCWSTR lpPacked, GUID *lpUpgradeCode)
{
    LPCWSTR value = FirstValueName(snapshot, key);
    for (DWORD i = 0; i < key->dwValueCount; ++i, value = NextName(value)) {
        if (wcscmp(value, lpPacked) != 0)
            continue;
        LPCWSTR name = SnapshotEntryName(snapshot, key);
        HRESULT parsed = CLSIDFromBEString(name, lpUpgradeCode);
        if (parsed != S_OK)
            ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(parsed), REPORT_ALL, "Can not parse GUID: %S",
                        name);
        return static_cast<DWORD>(parsed);
    }
    return STILL_SEARCHING;
}

DWORD SearchLocation(int location, LPCWSTR lpPacked, GUID *lpUpgradeCode, DWORD *failures)
{
    const KeySnapshot *snapshot = &UpgradeCodes[location];
    for (DWORD i = 0; i < snapshot->dwEntryCount; ++i) {
        const SnapshotEntry *key = &snapshot->lpEntries[i];
        if (key->fGone)
            continue;
        if (key->lOpened != ERROR_SUCCESS) {
            wchar_t path[INSTALLER_NAME_CHARS];
            LocationPath(path, INSTALLER_NAME_CHARS, UPGRADE_CODE_LOCATIONS[location],
                         SnapshotEntryName(snapshot, key));
            *failures |= SayUnopenedKey(key->lOpened, path, 0);
            continue;
        }
        DWORD found = SearchUpgradeCode(snapshot, key, lpPacked, lpUpgradeCode);
        if (found != STILL_SEARCHING)
            return found;
    }
    return STILL_SEARCHING;
}

DWORD FindInLocations(LPCWSTR lpPacked, GUID *lpUpgradeCode)
{
    DWORD failures = 0;
    bool opened = false;
    for (int location = 0; location < UPGRADE_CODE_LOCATION_COUNT; ++location) {
        DWORD failure = ReadLocation(location);
        if (failure)
            return failure;
        LONG status = UpgradeCodes[location].lOpened;
        if (status != ERROR_SUCCESS) {
            failures |= SayUnopenedKey(status, UPGRADE_CODE_LOCATIONS[location], 0);
            continue;
        }
        opened = true;
        DWORD found = SearchLocation(location, lpPacked, lpUpgradeCode, &failures);
        if (found != STILL_SEARCHING)
            return found;
    }
    if (failures)
        return failures;
    return opened ? NOT_LISTED : NO_LOCATION;
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
    DWORD found = FindInLocations(packed, lpUpgradeCode);
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
    wchar_t path[INSTALLER_NAME_CHARS];
    LocationPath(path, INSTALLER_NAME_CHARS, UPGRADE_CODE_LOCATIONS[location], lpPackedUpgradeCode);
    return RereadSnapshotEntry(snapshot, key, HKEY_LOCAL_MACHINE, path, 0);
}

void ForgetUpgradeCodes()
{
    for (KeySnapshot &snapshot : UpgradeCodes)
        ForgetSnapshot(&snapshot);
}
