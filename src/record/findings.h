// What a report run finds that a removal would delete or change, kept for a
// short list at the end of the report: keys and values by the path where
// they really live (the undo file's names: HKEY_LOCAL_MACHINE or
// HKEY_USERS\<SID>), files, folders and driver packages by their path.
#pragma once

#include <string>
#include <vector>

#include "win32api.h"

enum FindingKind { FOUND_KEY, FOUND_VALUE, FOUND_LIST_ENTRY, FOUND_FILE, FOUND_FOLDER, FOUND_DRIVER_PACKAGE };

struct Finding {
    FindingKind kind;
    std::wstring path;   // the key, or the file or folder
    std::wstring name;   // a value's name; empty for the others
    std::wstring entry;  // what a list value holds of the products; empty for the others
};

// A key found: hKey itself when lpSubKey is null, else its subkey of that name.
void NoteFoundKey(HKEY hKey, LPCWSTR lpSubKey);
// A value of an open key, or the products' entry in one of its list values.
void NoteFoundValue(HKEY hKey, LPCWSTR lpName);
void NoteFoundListEntry(HKEY hKey, LPCWSTR lpName, LPCWSTR lpEntry);
// lpRealPath is where the item really is (a 32-bit pass's System32 is
// SysWOW64), or null when that could not be read.
void NoteFoundFile(FindingKind kind, LPCWSTR lpPath, LPCWSTR lpRealPath);

// Everything noted so far, in the order found; one item found in both views
// of the registry is there once.
const std::vector<Finding> &Findings();
