// The record of a remove run: a folder "vxclean-YYYYMMDD-HHMMSS" in the
// user's temporary folder with undo.reg (everything the registry loses, in
// the registry editor's format, written before each change), log.txt
// (everything printed) and summary.txt (the summary that ends every run).
// Nothing here changes what the run does: a record that cannot be made or
// written is said so, and the run goes on.
#pragma once

#include <string>

#include "win32api.h"

// Starts the run's record when fRemove (a run that changes the machine) and
// prints where it lives, or why there is none. A report run keeps none.
void StartRecord(BOOL fRemove);
// Where the run's record is (a folder "vxclean-..."); empty when it has none.
std::wstring RecordFolder();
// What follows the summary: no restart, the restart question, or a restart
// that is needed but cannot be asked (the shutdown privilege is not held).
enum RestartPlan { RESTART_NONE, RESTART_AFTER_SUMMARY, RESTART_IMPOSSIBLE };
// Prints the summary (also into summary.txt) with the exit status and what
// follows it, and closes the record.
void FinishRecord(DWORD dwStatus, RestartPlan restart);

// Undo entries, each written to undo.reg before the change it undoes. The
// original owner and DACL of a key whose security is about to change; its
// status goes to UndoKey, which names the key and every value it holds.
LONG UndoKeySecurity(HKEY hParent, LPCWSTR lpSubKey);
void UndoKey(HKEY hKey, LONG lSecurityRead);
// One value about to be deleted or rewritten (opened with KEY_QUERY_VALUE).
void UndoValue(HKEY hKey, LPCWSTR lpName);
// A registry link about to go, with its target, as a comment.
void UndoLink(HKEY hLink);

// While on, the keys deleted are the users' private keys (the vendor's
// settings key, deleted on request): the record keeps none of their data,
// only a note that they went.
void KeepPrivateKeysOut(BOOL fOn);

// A shared list (a multi-string value) that the run rewrote without the
// products' entries; each list is counted once, however often it is rewritten.
void NoteListRepaired(HKEY hKey, LPCWSTR lpValueName);

// Files, folders and driver packages are not copied: each is listed as a
// comment in undo.reg, and counted. lpPath is the item as the run named it,
// lpRealPath where it really was (null when that could not be read), lpNow
// where an item left for a restart waits (null when it stays where it was).
enum FileChange { FILE_DELETED, FOLDER_DELETED, FILE_AT_RESTART, FOLDER_AT_RESTART, DRIVER_PACKAGE_REMOVED };
void NoteFileChange(FileChange change, LPCWSTR lpPath, LPCWSTR lpRealPath, LPCWSTR lpNow);
