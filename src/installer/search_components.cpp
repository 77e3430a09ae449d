#include <cwchar>

#include "driver/process_state.h"
#include "installer/installer_locations.h"
#include "installer/installer_scan.h"
#include "installer/key_snapshot.h"
#include "registry/registry.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const DWORD COMPONENT_DEPTH = 1;
const wchar_t VALUE_NAME_MATCH[] = L"lpValNameMatch";

KeySnapshot Components;

DWORD CountMatchingNames(const SnapshotEntry *key, LPCWSTR lpPacked, DWORD *count)
{
    DWORD result = 0;
    result = ValueEnumEndOrReport(key->lValuesEnd);
    *count = 0;
    LPCWSTR name = FirstValueName(&Components, key);
    for (DWORD i = 0; i < key->dwValueCount; ++i, name = NextName(name))
        if (wcsstr(name, lpPacked))
            ++*count;
    return result;
}

// A key that the search opens is closed after it was tested, and again after
// the probe of whether it is still there: both closes return what closing it
// returned when it was read.
DWORD SayClosed(const SnapshotEntry *key, LPCWSTR lpName)
{
    return ReportFailedClose(key->lClosed, lpName);
}

DWORD SayClosedTwice(const SnapshotEntry *key, LPCWSTR lpName)
{
    DWORD result = SayClosed(key, lpName);
    return result | SayClosed(key, lpName);
}

// One component key, as read: announced when it could not be opened or is a
// link, reported and removed when it names the product. A removed key is
// read again, so the next product sees what the removal left.
DWORD SearchComponentKey(HKEY hComponents, SnapshotEntry *key, LPCWSTR lpPacked, DWORD dwMode, DWORD fWarn)
{
    LPCWSTR name = SnapshotEntryName(&Components, key);
    if (key->lOpened != ERROR_SUCCESS)
        return SayUnopenedKey(key->lOpened, name, COMPONENT_DEPTH);
    if (key->fLink) {
        PrintLinkNotFollowed(name, COMPONENT_DEPTH);
        return SayClosedTwice(key, name);
    }
    DWORD count;
    DWORD result = CountMatchingNames(key, lpPacked, &count);
    if (count == 0)
        return result | SayClosedTwice(key, name);
    PrintMatch(name, COMPONENT_DEPTH, VALUE_NAME_MATCH);
    result |= SayClosed(key, name);
    result |= RemoveMatchedKey(hComponents, name, dwMode, fWarn);
    if (dwMode == MODE_REMOVE)
        result |= RereadSnapshotEntry(&Components, key, hComponents, nullptr, REG_OPTION_OPEN_LINK);
    if (!key->fGone && key->lOpened == ERROR_SUCCESS)
        result |= SayClosed(key, name);
    return result;
}

DWORD SearchComponentKeys(HKEY hComponents, LPCWSTR lpPacked, DWORD dwMode, DWORD fWarn)
{
    if (!IsSnapshotCurrent(&Components)) {
        ForgetComponents();
        DWORD failure = ReadSnapshot(&Components, hComponents, REG_OPTION_OPEN_LINK, STOP_AT_ERROR);
        if (failure) {
            ForgetComponents();
            return failure;
        }
    }
    DWORD result = 0;
    bool named = false;
    for (DWORD i = 0; i < Components.dwEntryCount; ++i) {
        SnapshotEntry *key = &Components.lpEntries[i];
        if (key->fGone)
            continue;
        // The Components key is named once, before its first subkey.
        if (!named)
            PrintSearchedKey(COMPONENTS_LOCATION, 0);
        named = true;
        result |= SearchComponentKey(hComponents, key, lpPacked, dwMode, fWarn);
    }
    result |= KeyEnumEndOrReport(Components.lEnd);
    return result;
}

// The Components key itself may hold a value of the product: then it goes
// whole, and what was read of it with it.
DWORD SearchOpenComponents(HKEY hComponents, LPCWSTR lpPacked, DWORD dwMode, DWORD fWarn)
{
    DWORD count = 0;
    DWORD result = CountMatchingValueNames(hComponents, lpPacked, &count);
    if (count == 0) {
        result |= SearchComponentKeys(hComponents, lpPacked, dwMode, fWarn);
        return result | CloseKeyOrReport(hComponents, COMPONENTS_LOCATION);
    }
    PrintMatch(COMPONENTS_LOCATION, 0, VALUE_NAME_MATCH);
    result |= CloseKeyOrReport(hComponents, COMPONENTS_LOCATION);
    ForgetComponents();
    return result | RemoveMatchedKey(HKEY_LOCAL_MACHINE, COMPONENTS_LOCATION, dwMode, fWarn);
}

}  // namespace

DWORD SearchComponents(LPCWSTR lpPacked, DWORD dwMode, DWORD fWarn)
{
    HKEY hComponents;
    LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, COMPONENTS_LOCATION, 0, KEY_READ | RegViewFlag, &hComponents);
    DWORD result;
    if (status != ERROR_SUCCESS) {
        result = SayUnopenedKey(status, COMPONENTS_LOCATION, 0);
    } else {
        PrintSearchHeader(nullptr, lpPacked, nullptr, COMPONENTS_LOCATION);
        result = SearchOpenComponents(hComponents, lpPacked, dwMode, fWarn);
    }
    PrintOut(L"\n");
    if (!IsInstallerScanOpen())
        ForgetComponents();
    return result;
}

void ForgetComponents()
{
    ForgetSnapshot(&Components);
}
