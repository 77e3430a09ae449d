// The Local Security Authority's "Security Packages": elements that each end
// with a NUL, the list closed by an empty element. Positions and lengths are
// in characters, and nothing here looks past the characters it is given.
#pragma once

#include "win32api.h"

// Takes the first element equal to lpPackage out of the list; with
// fRepairSystem, in mode 1, also appends the system packages that are
// missing, unless the list asks for none (the element of two quotes).
DWORD RemoveSecurityPackage(LPCWSTR lpOperation, LPCWSTR lpPackage, BOOL fRepairSystem, DWORD dwMode, DWORD fWarn);

// How many of the n characters hold elements: all but the closing NUL when
// the list has one. A list that lacks the closing element, or whose last
// element lacks its NUL, keeps every element inside this count.
DWORD PackageListEnd(const WCHAR *lpList, DWORD n);
BOOL HasClosingElement(const WCHAR *lpList, DWORD n);
// The element at p runs to its NUL or to dwEnd, whichever comes first.
DWORD PackageLength(const WCHAR *lpList, DWORD dwEnd, DWORD p);
// Exact comparison of the whole element, letter case included.
BOOL IsPackage(const WCHAR *lpList, DWORD dwEnd, DWORD p, LPCWSTR lpName);
// Whether any element of the list equals lpName.
BOOL HasPackage(const WCHAR *lpList, DWORD dwEnd, LPCWSTR lpName);
// Stores lpName and its NUL at *lpLength and advances it; the caller makes room.
void AppendPackage(WCHAR *lpList, DWORD *lpLength, LPCWSTR lpName);
