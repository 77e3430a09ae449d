// Registry fixtures and checks made through Win32 calls, so that the same
// test runs on the simulated machine and under Wine. Each check carries the
// caller's file and line, so a failure points at the test's own line.
#pragma once

#include <string>
#include <vector>

#include "win32api.h"

// A test's own keys live under these; they are emptied before each test.
extern const wchar_t TEST_SOFTWARE[];  // "SOFTWARE\VxTest"
extern const wchar_t TEST_SYSTEM[];    // "SYSTEM\VxTest"

void EmptyTestKeys();
// Deletes a tree that a test made, whatever its DACLs and links.
void RemoveTestTree(HKEY root, const std::wstring &path, REGSAM view = 0);
// What the driver does before any pass; without it takeovers fail on Windows.
void EnableTakeOwnership();

void add_key_(const char *file, int line, HKEY root, const std::wstring &path, REGSAM view = 0);
void add_value_(const char *file, int line, HKEY root, const std::wstring &path, const std::wstring &name, DWORD type,
                const std::vector<BYTE> &data, REGSAM view = 0);
void add_sz_(const char *file, int line, HKEY root, const std::wstring &path, const std::wstring &name,
             const std::wstring &text, REGSAM view = 0);
// Where a key of HKLM that a caller names in this view really is: a 32-bit
// process on 64-bit Windows has its SOFTWARE under Wow6432Node.
std::wstring RealMachinePath(const std::wstring &path, REGSAM view = 0);
// A symbolic link at path to target, a path under HKEY_LOCAL_MACHINE as stored
// (no view applies to it).
void add_link_(const char *file, int line, const std::wstring &path, const std::wstring &target, REGSAM view = 0);
// Owner Administrators, and a DACL that refuses everyone everything.
void deny_everyone_(const char *file, int line, HKEY root, const std::wstring &path, REGSAM view = 0);

// Whether opening the key for reading gives the status expected: the key
// is there, is gone, or refuses reading.
void verify_open_(const char *file, int line, LONG expected, HKEY root, const std::wstring &path, REGSAM view = 0);
// Whether a link is at path (opened as a link), or nothing is.
void verify_link_open_(const char *file, int line, const std::wstring &path, bool link);
void verify_reg_(const char *file, int line, HKEY root, const std::wstring &path, const std::wstring &name, DWORD type,
                 const std::vector<BYTE> &data, REGSAM view = 0);
void verify_sz_(const char *file, int line, HKEY root, const std::wstring &path, const std::wstring &name,
                const std::wstring &text, REGSAM view = 0);

#define add_key(...) add_key_(__FILE__, __LINE__, __VA_ARGS__)
#define add_value(...) add_value_(__FILE__, __LINE__, __VA_ARGS__)
#define add_sz(...) add_sz_(__FILE__, __LINE__, __VA_ARGS__)
#define add_link(...) add_link_(__FILE__, __LINE__, __VA_ARGS__)
#define deny_everyone(...) deny_everyone_(__FILE__, __LINE__, __VA_ARGS__)
#define verify_key(...) verify_open_(__FILE__, __LINE__, ERROR_SUCCESS, __VA_ARGS__)
#define verify_key_nonexist(...) verify_open_(__FILE__, __LINE__, ERROR_FILE_NOT_FOUND, __VA_ARGS__)
#define verify_open_denied(...) verify_open_(__FILE__, __LINE__, ERROR_ACCESS_DENIED, __VA_ARGS__)
#define verify_link(path) verify_link_open_(__FILE__, __LINE__, path, true)
#define verify_link_nonexist(path) verify_link_open_(__FILE__, __LINE__, path, false)
#define verify_reg(...) verify_reg_(__FILE__, __LINE__, __VA_ARGS__)
#define verify_sz(...) verify_sz_(__FILE__, __LINE__, __VA_ARGS__)

// The key's owner and DACL as a self-relative descriptor; empty when unreadable.
std::vector<BYTE> KeySecurity(HKEY root, const std::wstring &path);
// The whole tree at path, as text: names, value types and bytes, owners and
// DACLs (unless without security); empty when the key does not open.
std::wstring KeyTree(HKEY root, const std::wstring &path, REGSAM view = 0, bool security = true);
// The data of a string as the registry stores it, terminator included.
std::vector<BYTE> SzBytes(const std::wstring &text);
