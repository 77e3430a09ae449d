// What was read of one key, for the installer searches to answer every
// product from instead of reading the key again: either its subkeys (their
// names, how each opened and closed, whether it is a registry link, and the
// names of their values) or its own values (one entry each, by name). All
// names live in one growing text; a subkey's value names follow its name.
// What failed while reading is kept, for each search to meet it again where
// reading the key afresh would.
#pragma once

#include "win32api.h"

struct SnapshotEntry {
    DWORD dwName;  // offset of the name in the text
    DWORD dwValueCount;
    LONG lOpened;       // ERROR_SUCCESS, or why the key could not be opened
    LONG lValuesEnd;    // the first error that listing its values met, or ERROR_NO_MORE_ITEMS
    DWORD dwSkippedAt;  // how many value names were read before that error
    LONG lClosed;       // what closing it returned
    BOOL fLink;
    BOOL fGone;  // deleted since it was read
};

// How a listing treats a subkey or value it cannot read: stops there, as the
// one-level search and the value searches of the engine do, or steps over it,
// as the search of the upgrade codes does, unless the error is about the key
// itself (gone, or its handle no longer good), which no later index mends.
enum ListingErrors { STOP_AT_ERROR, SKIP_ERRORS };

struct KeySnapshot {
    BOOL fRead;
    DWORD dwView;  // RegViewFlag when it was read
    ListingErrors errors;
    LONG lOpened;       // opening the key itself
    LONG lEnd;          // the first error that listing its subkeys, or values, met, or ERROR_NO_MORE_ITEMS
    DWORD dwSkippedAt;  // how many entries were read before that error
    LONG lClosed;       // closing the key itself, for a caller that reads it once
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
// snapshot; lOpened and lClosed are the caller's. 0, or the value of a report
// (only when memory runs short: what fails in the registry is kept).
DWORD ReadSnapshot(KeySnapshot *lpSnapshot, HKEY hKey, DWORD dwOptions, ListingErrors errors);
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
