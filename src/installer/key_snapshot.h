// What was read of the subkeys of one key: their names, how each opened,
// whether it is a registry link, and the names of its values. The installer
// searches answer every product from it instead of reading the key again.
// All names live in one growing text; a key's value names follow its name.
#pragma once

#include "win32api.h"

struct SnapshotKey {
    DWORD dwName;  // offset of the name in the text
    DWORD dwValueCount;
    LONG lOpened;     // ERROR_SUCCESS, or why the key could not be opened
    LONG lValuesEnd;  // how the enumeration of its values ended
    BOOL fLink;
    BOOL fGone;  // deleted since it was read
};

struct KeySnapshot {
    BOOL fRead;
    DWORD dwView;      // RegViewFlag when it was read
    LONG lOpened;      // opening the key itself
    LONG lSubkeysEnd;  // how the enumeration of its subkeys ended
    wchar_t *lpText;
    DWORD dwTextUsed;
    DWORD dwTextSize;
    SnapshotKey *lpKeys;
    DWORD dwKeyCount;
    DWORD dwKeySize;
};

// Whether the snapshot was read in the current view.
BOOL IsSnapshotCurrent(const KeySnapshot *lpSnapshot);
// Reads the subkeys of hKey, each opened with dwOptions, into the (forgotten)
// snapshot; lOpened is set by the caller. 0, or the value of a report.
DWORD ReadSnapshot(KeySnapshot *lpSnapshot, HKEY hKey, DWORD dwOptions);
// Reads one key again after a removal touched it (lpPath under hParent); a
// key that is no longer there is marked gone. 0, or the value of a report.
DWORD RereadSnapshotKey(KeySnapshot *lpSnapshot, SnapshotKey *lpKey, HKEY hParent, LPCWSTR lpPath, DWORD dwOptions);
// The key of that name (registry names ignore case) that is still there, or null.
SnapshotKey *FindSnapshotKey(KeySnapshot *lpSnapshot, LPCWSTR lpName);
LPCWSTR SnapshotKeyName(const KeySnapshot *lpSnapshot, const SnapshotKey *lpKey);
// The first value name, then each one after the end of the one before.
LPCWSTR FirstValueName(const KeySnapshot *lpSnapshot, const SnapshotKey *lpKey);
LPCWSTR NextName(LPCWSTR lpName);
void ForgetSnapshot(KeySnapshot *lpSnapshot);
