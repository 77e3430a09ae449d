#include "installer/key_snapshot.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "driver/process_state.h"
#include "registry/registry.h"
#include "report/report.h"

namespace {

const wchar_t LINK_VALUE[] = L"SymbolicLinkValue";

wchar_t ValueName[VALUE_NAME_CHARS];

// Grows a block to hold at least `needed` items; false when memory is short.
template <typename Item> bool Reserve(Item *&items, DWORD &size, DWORD needed)
{
    if (needed <= size)
        return true;
    DWORD grown = size ? size : 4096;
    while (grown < needed)
        grown *= 2;
    Item *moved = static_cast<Item *>(realloc(items, grown * sizeof(Item)));
    if (!moved)
        return false;
    items = moved;
    size = grown;
    return true;
}

bool AppendName(KeySnapshot *snapshot, LPCWSTR lpName, DWORD *offset)
{
    DWORD length = static_cast<DWORD>(wcslen(lpName)) + 1;
    if (!Reserve(snapshot->lpText, snapshot->dwTextSize, snapshot->dwTextUsed + length))
        return false;
    *offset = snapshot->dwTextUsed;
    memcpy(snapshot->lpText + snapshot->dwTextUsed, lpName, length * sizeof(wchar_t));
    snapshot->dwTextUsed += length;
    return true;
}

// Whether a listing ends at this error; the first error met is kept in
// *first, with the number of items read before it.
bool EndsListing(LONG status, ListingErrors errors, DWORD read, LONG *first, DWORD *readBefore)
{
    if (*first == ERROR_NO_MORE_ITEMS) {
        *first = status;
        *readBefore = read;
    }
    return errors == STOP_AT_ERROR || status == ERROR_KEY_DELETED || status == ERROR_INVALID_HANDLE;
}

DWORD NotEnoughMemory()
{
    return ReportLastError(SOURCE_INSTALL, __LINE__, REPORT_ALL, "Not enough memory.");
}

// The value names of an open key, after the key's name in the text, and
// whether it is a link.
DWORD ReadValues(KeySnapshot *snapshot, SnapshotEntry *key, HKEY hParent, LPCWSTR lpPath, HKEY hKey, DWORD dwOptions)
{
    key->dwValueCount = 0;
    key->fLink = FALSE;
    key->lValuesEnd = ERROR_NO_MORE_ITEMS;
    LONG status;
    DWORD length;
    DWORD type;
    for (DWORD index = 0;
         (length = VALUE_NAME_CHARS, status = RegEnumValueW(hKey, index, ValueName, &length, nullptr, &type, nullptr,
                                                            nullptr)) != ERROR_NO_MORE_ITEMS;
         ++index) {
        if (status != ERROR_SUCCESS) {
            if (EndsListing(status, snapshot->errors, key->dwValueCount, &key->lValuesEnd, &key->dwSkippedAt))
                break;
            continue;
        }
        DWORD offset;
        if (!AppendName(snapshot, ValueName, &offset))
            return NotEnoughMemory();
        ++key->dwValueCount;
        if (type == REG_LINK && _wcsicmp(ValueName, LINK_VALUE) == 0)
            key->fLink = TRUE;
    }
    // Only a key opened as itself can be a link. One holding the link value,
    // or whose values were not all read, is asked.
    if (!(dwOptions & REG_OPTION_OPEN_LINK) || (!key->fLink && key->lValuesEnd == ERROR_NO_MORE_ITEMS)) {
        key->fLink = FALSE;
        return 0;
    }
    return IsRegistryLink(hParent, lpPath, hKey, &key->fLink);
}

DWORD ReadKey(KeySnapshot *snapshot, SnapshotEntry *key, HKEY hParent, LPCWSTR lpPath, LPCWSTR lpName, DWORD dwOptions)
{
    if (!AppendName(snapshot, lpName, &key->dwName))
        return NotEnoughMemory();
    key->dwValueCount = 0;
    key->fLink = FALSE;
    key->fGone = FALSE;
    key->lValuesEnd = ERROR_NO_MORE_ITEMS;
    key->lClosed = ERROR_SUCCESS;
    HKEY hKey;
    key->lOpened = RegOpenKeyExW(hParent, lpPath, dwOptions, KEY_READ | RegViewFlag, &hKey);
    if (key->lOpened != ERROR_SUCCESS) {
        key->fGone = IsAbsentKey(key->lOpened);
        return 0;
    }
    DWORD result = ReadValues(snapshot, key, hParent, lpPath, hKey, dwOptions);
    key->lClosed = RegCloseKey(hKey);
    return result;
}

}  // namespace

BOOL IsSnapshotCurrent(const KeySnapshot *lpSnapshot)
{
    return lpSnapshot->fRead && lpSnapshot->dwView == RegViewFlag;
}

DWORD ReadSnapshot(KeySnapshot *lpSnapshot, HKEY hKey, DWORD dwOptions, ListingErrors errors)
{
    lpSnapshot->fRead = TRUE;
    lpSnapshot->dwView = RegViewFlag;
    lpSnapshot->errors = errors;
    lpSnapshot->lEnd = ERROR_NO_MORE_ITEMS;
    wchar_t name[KEY_NAME_CHARS];
    LONG status;
    for (DWORD index = 0; (status = EnumKeyName(hKey, index, name)) != ERROR_NO_MORE_ITEMS; ++index) {
        if (status != ERROR_SUCCESS) {
            if (EndsListing(status, errors, lpSnapshot->dwEntryCount, &lpSnapshot->lEnd, &lpSnapshot->dwSkippedAt))
                break;
            continue;
        }
        if (!Reserve(lpSnapshot->lpEntries, lpSnapshot->dwEntrySize, lpSnapshot->dwEntryCount + 1))
            return NotEnoughMemory();
        SnapshotEntry *key = &lpSnapshot->lpEntries[lpSnapshot->dwEntryCount++];
        DWORD result = ReadKey(lpSnapshot, key, hKey, name, name, dwOptions);
        if (result)
            return result;
    }
    return 0;
}

DWORD ReadValueSnapshot(KeySnapshot *lpSnapshot, HKEY hKey)
{
    lpSnapshot->fRead = TRUE;
    lpSnapshot->dwView = RegViewFlag;
    LONG status;
    for (DWORD index = 0; (status = EnumValueName(hKey, index, ValueName)) == ERROR_SUCCESS; ++index) {
        if (!Reserve(lpSnapshot->lpEntries, lpSnapshot->dwEntrySize, lpSnapshot->dwEntryCount + 1))
            return NotEnoughMemory();
        SnapshotEntry *value = &lpSnapshot->lpEntries[lpSnapshot->dwEntryCount++];
        memset(value, 0, sizeof *value);
        if (!AppendName(lpSnapshot, ValueName, &value->dwName))
            return NotEnoughMemory();
    }
    lpSnapshot->lEnd = status;
    return 0;
}

DWORD RereadSnapshotEntry(KeySnapshot *lpSnapshot, SnapshotEntry *lpKey, HKEY hParent, LPCWSTR lpPath, DWORD dwOptions)
{
    // A copy: reading appends to the text, which may move.
    wchar_t name[KEY_NAME_CHARS];
    wcsncpy(name, SnapshotEntryName(lpSnapshot, lpKey), KEY_NAME_CHARS - 1);
    name[KEY_NAME_CHARS - 1] = L'\0';
    return ReadKey(lpSnapshot, lpKey, hParent, lpPath ? lpPath : name, name, dwOptions);
}

SnapshotEntry *FindSnapshotEntry(KeySnapshot *lpSnapshot, LPCWSTR lpName)
{
    for (DWORD i = 0; i < lpSnapshot->dwEntryCount; ++i) {
        SnapshotEntry *key = &lpSnapshot->lpEntries[i];
        if (!key->fGone && _wcsicmp(SnapshotEntryName(lpSnapshot, key), lpName) == 0)
            return key;
    }
    return nullptr;
}

LPCWSTR SnapshotEntryName(const KeySnapshot *lpSnapshot, const SnapshotEntry *lpKey)
{
    return lpSnapshot->lpText + lpKey->dwName;
}

LPCWSTR FirstValueName(const KeySnapshot *lpSnapshot, const SnapshotEntry *lpKey)
{
    return NextName(SnapshotEntryName(lpSnapshot, lpKey));
}

LPCWSTR NextName(LPCWSTR lpName)
{
    return lpName + wcslen(lpName) + 1;
}

void ForgetSnapshot(KeySnapshot *lpSnapshot)
{
    free(lpSnapshot->lpText);
    free(lpSnapshot->lpEntries);
    memset(lpSnapshot, 0, sizeof *lpSnapshot);
}
