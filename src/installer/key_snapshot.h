// What was read of one key, for the installer searches to answer every
// product from instead of reading the key again: either its subkeys (their
// names, how each opened, whether it is a registry link, and the names of
// their values) or its own values (one entry each, by name). All names live
// in one growing text; a subkey's value names follow its name.
#pragma once

#include "win32api.h"

struct SnapshotEntry {
    DWORD dwName;  // offset of the name in the text
    DWORD dwValueCount;
    LONG lOpened;     // ERROR_SUCCESS, or why the key could not be opened
    LONG lValuesEnd;  // how the enumeration of its values ended
    BOOL fLink;
    BOOL fGone;  // deleted since it was read
};

struct KeySnapshot {
    BOOL fRead;
    DWORD dwView;  // RegViewFlag when it was read
    LONG lOpened;  // opening the key itself
    LONG lEnd;     // how the enumeration of its subkeys, or values, ended
    wchar_t *lpText;
    DWORD dwTextUsed;
    DWORD dwTextSize;
    SnapshotEntry *lpEntries;
    DWORD dwEntryCount;
    DWORD dwEntrySize;
};

// Whether the snapshot was read in the current view.
BOOL IsSnapshotCurrent(const KeySnapshot *lpSnapshot);
// Reads the subkeys of hKey, each opened with dwOptions, into the (forgotten)
// snapshot; lOpened is set by the caller. 0, or the value of a report.
DWORD ReadSnapshot(KeySnapshot *lpSnapshot, HKEY hKey, DWORD dwOptions);
// Reads the value names of hKey into the (forgotten) snapshot.
DWORD ReadValueSnapshot(KeySnapshot *lpSnapshot, HKEY hKey);
// Reads one key again after a removal touched it (lpPath under hParent, or
// its own name when lpPath is null); a key that is no longer there is marked
// gone. 0, or the value of a report.
DWORD RereadSnapshotEntry(KeySnapshot *lpSnapshot, SnapshotEntry *lpKey, HKEY hParent, LPCWSTR lpPath, DWORD dwOptions);
// The entry of that name (registry names ignore case) still there, or null.
SnapshotEntry *FindSnapshotEntry(KeySnapshot *lpSnapshot, LPCWSTR lpName);
LPCWSTR SnapshotEntryName(const KeySnapshot *lpSnapshot, const SnapshotEntry *lpKey);
// The first value name, then each one after the end of the one before.
LPCWSTR FirstValueName(const KeySnapshot *lpSnapshot, const SnapshotEntry *lpKey);
LPCWSTR NextName(LPCWSTR lpName);
void ForgetSnapshot(KeySnapshot *lpSnapshot);
