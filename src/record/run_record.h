// The state of the record of the current run, shared by its procedures.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "report/text_file.h"
#include "win32api.h"

struct RunRecord {
    BOOL fKept;                 // a remove run: the record was asked for
    BOOL fUndoOpen;             // undo.reg is being written
    std::wstring folder;        // the record's folder, empty when none was made
    std::wstring noUndo;        // why there is no undo file
    std::wstring missing;       // the first entry the undo file lacks, and why
    DWORD dwMissing;            // how many entries it lacks
    std::wstring privateRoot;   // the users' private keys being deleted: none of their data is kept
    BOOL fPrivateKeys;          // the settings key with the users' private keys is being deleted
    BOOL fPrivateKeysLeftOut;   // and some of it went: the undo file says so
    std::wstring writeFailure;  // why it was given up before the run's end
    TextFile undo;
    TextFile log;
    BOOL fLogOpen;
    std::wstring logProblem;  // why log.txt is not whole
    std::wstring userKey;     // the running user's key: HKEY_USERS\<SID>
    std::wstring text;        // the entry being built
    std::vector<BYTE> data;   // value data being read
    std::vector<WCHAR> name;  // value name being read
    // Values whose data before the run is written, by key (names upper case).
    std::map<std::wstring, std::set<std::wstring>> savedValues;
    // The shared lists the run rewrote, by key and value (upper case).
    std::set<std::wstring> repairedLists;
};

extern RunRecord TheRecord;

// A note for a key of the users' private keys (and nothing of its tree
// after it): they are deleted on request and not kept.
void NotePrivateKeys(const std::wstring &path);
// Whether a key's path is that of a key container or below one.
BOOL IsPrivateKeyPath(const std::wstring &path);
// Makes the record's folder, open to SYSTEM and the Administrators alone;
// FALSE with the last error as CreateDirectoryW leaves it.
BOOL CreatePrivateFolder(LPCWSTR lpPath);
// Whether undo entries are being written.
BOOL UndoActive();
// Hands the entry built in TheRecord.text to undo.reg; on a failed write the
// undo file is closed as incomplete.
void WriteUndoEntry();
// Something the undo file will lack, and why: said on the console (and so in
// the log) as it happens, counted and named in the summary.
void UndoMissing(const std::wstring &what, const std::wstring &why);
// The same for a failed call's status.
void UndoMissingStatus(const std::wstring &what, LONG status);
// Whether a key's path can stand in the registry editor's text: a line
// break would end the key's line and a NUL the name, so neither can.
BOOL IsWritablePath(const std::wstring &path);
// Text for a comment line: line breaks and NULs shown by the symbols that
// stand for them (U+240D, U+240A, U+2400), so that the comment stays one
// line whatever name it holds.
std::wstring OneLine(const std::wstring &text);
// The values of a key whose data before the run is already in the undo file,
// which must keep only that: an import takes the last data written for a
// value. Null when there are none.
const std::set<std::wstring> *SavedValuesOf(const std::wstring &path);
// Whether the value is among them; marks it as saved.
BOOL ValueSavedBefore(const std::wstring &path, LPCWSTR lpName);
std::wstring UpperCase(const std::wstring &text);
// A Windows error as "error N: text".
std::wstring ErrorText(DWORD code);

// Whether keys can be named (ntdll's NtQueryKey is there).
BOOL CanNameKeys();
// The kernel's name of an open key, as \REGISTRY\MACHINE\...: 0 or the
// failure's status.
LONG KernelKeyName(HKEY hKey, std::wstring *name);
// The path at which an open key really lives, with the registry editor's
// root names: HKEY_LOCAL_MACHINE (the 32-bit view's keys under
// SOFTWARE\Wow6432Node) or HKEY_USERS\<SID> (a user's classes, where they
// are a hive of their own, under HKEY_USERS\<SID>_Classes), so that an
// import by anyone puts a key back where it was. 0, or the failure's status.
LONG RealKeyPath(HKEY hKey, std::wstring *lpPath);

// Where an open key lives, and one of its values' type and data as Windows
// holds them: 0 or the failure's status.
LONG ReadValue(HKEY hKey, LPCWSTR lpName, std::wstring *lpPath, DWORD *lpType, std::string *lpBytes);

// The registry editor's lines for a key and for a value.
void AppendKeyLine(std::wstring *out, const std::wstring &path);
// FALSE when the value's name cannot be written in the format (a line break in it).
// lpName is the whole name: the caller checks that it holds no NUL.
BOOL AppendValueLine(std::wstring *out, LPCWSTR lpName, DWORD type, const BYTE *data, DWORD size);
