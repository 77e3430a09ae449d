// The registry engine: listing, takeover and deletion of key trees in the
// view that RegViewFlag selects.
#pragma once

#include "win32api.h"

// Buffers for names read by enumeration: a key name has at most 255
// characters and a value name 16,383, each with its terminator after it.
const DWORD KEY_NAME_CHARS = 256;
const DWORD VALUE_NAME_CHARS = 16384;

// The name of the subkey, or of the value, at dwIndex, into a buffer of
// KEY_NAME_CHARS or VALUE_NAME_CHARS characters: RegEnumKeyExW's or
// RegEnumValueW's code.
LONG EnumKeyName(HKEY hKey, DWORD dwIndex, LPWSTR lpName);
LONG EnumValueName(HKEY hKey, DWORD dwIndex, LPWSTR lpName);
// 0 when an enumeration ended with ERROR_NO_MORE_ITEMS, as it should; else
// the report of the code it ended with.
DWORD KeyEnumEndOrReport(LONG status);
DWORD ValueEnumEndOrReport(LONG status);
// A heap buffer for one such name, or null; freed with free().
LPWSTR AllocKeyName();
LPWSTR AllocValueName();

// Reports, lists and (in mode 1) deletes the key tree at lpSubKey under hRoot.
DWORD DeleteKey(HKEY hRoot, LPCWSTR lpSubKey, DWORD dwMode, DWORD fWarn);
// Deletes lpSubKey under hParent with everything below it, taking each key
// over first: 0, (DWORD)-1 when the key cannot be opened, else the reports.
DWORD RecurseWipeRegTree(HKEY hParent, LPCWSTR lpSubKey);
// Deletes one key without subkeys; a Windows error code.
LONG DeleteKeyInView(HKEY hParent, LPCWSTR lpSubKey);
// Removes a registry link at lpSubKey under hRoot (mode 1 only), for a path
// that a normal open does not reach: a key there that is no link stays.
// 0, else the report's result.
DWORD DeleteLinkKey(HKEY hRoot, LPCWSTR lpSubKey, DWORD dwMode);
// Removes the link key behind an open handle (opened as the link itself): its
// target stays. An error or NT status, 0 when it is gone.
LONG DeleteOpenLink(HKEY hLink);
// Whether hKey, lpSubKey under hParent opened as itself (REG_OPTION_OPEN_LINK),
// is a registry symbolic link. 0, else the report's result (and the key is
// taken for a link, to be neither followed nor wiped as an ordinary key).
DWORD IsRegistryLink(HKEY hParent, LPCWSTR lpSubKey, HKEY hKey, BOOL *pfLink);
BOOL IsSystemPath(LPCWSTR lpPath);
// Whether a failed open means the key is not there; any other failure to open
// a key that may hold the products' data is reported, never taken for absence.
BOOL IsAbsentKey(LONG status);

// Whether the subkey that an enumeration just handled is still at its index,
// so that the index must step on; a failed close of the probe is OR-ed into
// *lpResult.
BOOL SubkeyRemains(HKEY hParent, DWORD dwIndex, LPCWSTR lpName, DWORD *lpResult);

// Closes a key; a failed close is reported with the close's code and the
// key's name. 0, or the report's value.
DWORD CloseKeyOrReport(HKEY hKey, LPCWSTR lpName);
// The same report for a close that returned status.
DWORD ReportFailedClose(LONG status, LPCWSTR lpName);

// Makes Administrators the owner of the key, with full access inherited below.
DWORD ChangeRight(HKEY hParent, LPCWSTR lpSubKey);

// Prints the key as an indented tree of keys and value names, and counts them.
DWORD ListKeyContents(HKEY hKey, LPCWSTR lpPath, DWORD dwDepth, DWORD *lpKeyCount, DWORD *lpValueCount);
DWORD ListKeyValues(HKEY hKey, DWORD dwDepth, DWORD *lpValueCount);

// Searches the tree at lpName under hParent for keys whose name contains
// lpKeyNameMatch, or that hold a value whose name contains lpValNameMatch or a
// REG_SZ value whose text contains lpValDataMatch (absent patterns are not
// tested); reports each and, in mode 1, deletes it whole. Without fRecurse
// only the start key and its direct subkeys are tested.
DWORD RecurseSearchRegTree(HKEY hParent, LPCWSTR lpName, DWORD dwDepth, LPCWSTR lpKeyNameMatch, LPCWSTR lpValNameMatch,
                           LPCWSTR lpValDataMatch, DWORD dwMode, DWORD fWarn, BOOL fRecurse);
// The whole-tree search under HKEY_LOCAL_MACHINE.
DWORD WipeMatchingKeys(LPCWSTR lpSubKey, LPCWSTR lpKeyNameMatch, LPCWSTR lpValDataMatch, DWORD dwMode, DWORD fWarn);
DWORD CountMatchingValueNames(HKEY hKey, LPCWSTR lpPattern, DWORD *lpCount);

// What a search prints: its header, a key on the way to a match (indented
// two spaces per level), a key it cannot open (announced when absent or
// refused, else reported), a link it does not follow, and a match.
void PrintSearchHeader(LPCWSTR lpKeyNameMatch, LPCWSTR lpValNameMatch, LPCWSTR lpValDataMatch, LPCWSTR lpStart);
void PrintSearchedKey(LPCWSTR lpName, DWORD dwDepth);
DWORD SayUnopenedKey(LONG status, LPCWSTR lpName, DWORD dwDepth);
// The report of a failed open, or 0 for an absent or refused key, which
// callers that print nothing take as an answer.
DWORD ReportFailedOpen(LONG status, LPCWSTR lpName);
void PrintLinkNotFollowed(LPCWSTR lpName, DWORD dwDepth);
void PrintMatch(LPCWSTR lpName, DWORD dwDepth, LPCWSTR lpPattern);
// A matched key (already closed): residue with fWarn; deleted whole in mode 1.
DWORD RemoveMatchedKey(HKEY hParent, LPCWSTR lpName, DWORD dwMode, DWORD fWarn);
DWORD CountMatchingValueData(HKEY hKey, LPCWSTR lpPattern, DWORD *lpCount);

// Reports, and in mode 1 deletes, the values of one key whose names contain
// lpPattern; the key and its other values stay.
DWORD DeleteValuesByName(HKEY hRoot, LPCWSTR lpSubKey, LPCWSTR lpPattern, DWORD dwMode, DWORD fWarn);
// One value that matched: printed, residue with fWarn, deleted in mode 1
// (*lpDeleted tells whether it went).
DWORD RemoveMatchedValue(HKEY hKey, LPCWSTR lpSubKey, LPCWSTR lpName, DWORD dwMode, DWORD fWarn, BOOL *lpDeleted);
