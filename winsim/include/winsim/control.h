// Test and host control of the simulated machine: what a test sets up before a
// scenario and inspects after it. Product code never includes this header.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "winsim/files_control.h"
#include "winsim/windows.h"

namespace winsim {

enum class MachineKind {
    Windows32,  // 32-bit Windows: our process is native
    Windows64,  // 64-bit Windows: our 32-bit process runs under WOW64
};

// Back to a fresh machine: 64-bit Windows, every export present, a console on
// standard output with grey text, a token that holds every privilege.
void ResetMachine();
// Also starts a fresh registry of that kind.
void SetMachineKind(MachineKind kind);
MachineKind GetMachineKind();

// The local time that GetLocalTime gives: the host's, unless fixed here (a
// fresh machine has the host's again). The text form is WINSIM_TIME's,
// "YYYY-MM-DD HH:MM:SS"; false, the clock unchanged, for anything else or a
// date that does not exist.
void SetLocalClock(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second);
bool SetLocalClock(const std::string &text);

// Exports of the system modules; a removed one makes GetProcAddress fail.
void RemoveExport(const char *module, const char *name);
void SetModuleHandleFails(bool fails);
bool FsRedirectionDisabled();

// Registry and file calls: how often each was made, and a planted failure of the nth
// call of a function (counting from the machine's start) with a code.
unsigned CallCount(const char *function);
std::map<std::string, unsigned> CallCounts();
void FailCall(const char *function, unsigned nth, LONG code);
// The process killed as the nth call of a function starts (before it has any
// effect): the call throws ProcessKilled, which no product code catches, and
// the machine stays as the kill left it.
struct ProcessKilled {};
void KillAtCall(const char *function, unsigned nth);
// A failure of every call of a function on one key of HKEY_LOCAL_MACHINE (the
// key at path in the view that `view` selects, a link itself), whenever it is
// made: RegOpenKeyExW reaching the key, RegCloseKey of a handle to it,
// RegDeleteKeyExW, RegDeleteKeyW or ZwDeleteKey deleting it, RegDeleteValueW,
// RegEnumKeyExW and RegEnumValueW on it. Given an entry name, a listing fails
// only where it meets that subkey or value and a deletion only of that
// value. False when no key is at the path.
bool FailKeyCall(const char *function, const std::wstring &path, LONG code, const std::wstring &entry = L"",
                 REGSAM view = 0);

// A value's data as Windows holds it (strings in UTF-16LE), through an open
// key, without the conversion that a caller's wide characters get here.
LONG SetStoredValue(HKEY hKey, const wchar_t *name, DWORD type, const std::vector<BYTE> &data);
LONG GetStoredValue(HKEY hKey, const wchar_t *name, DWORD *type, std::vector<BYTE> *data);

// The registry in the text form of Windows' registry editor, UTF-16LE with
// a byte-order mark. Import adds to the registry as "reg import" does,
// making no link; restore also makes the links that an export names. Both
// return false with a reason when the text is not understood (nothing is
// imported then).
std::wstring ExportRegistry();
bool ImportRegistry(const std::wstring &text, std::wstring *reason);
bool RestoreRegistry(const std::wstring &text, std::wstring *reason);
bool ExportRegistryFile(const std::string &path);
bool ImportRegistryFile(const std::string &path, std::wstring *reason);
bool RestoreRegistryFile(const std::string &path, std::wstring *reason);

// The host program's machine folder: "machine.txt" (the kind of Windows),
// "registry.reg" and the folder "C", drive C:. A missing one means a fresh
// part of a 64-bit machine.
bool LoadMachineFolder(const std::string &folder, std::wstring *reason);
bool SaveMachineFolder(const std::string &folder);

// Console behind the standard output handle.
void SetConsoleAttached(bool attached);
void SetConsoleOutputCodePage(UINT codePage);
WORD ConsoleAttribute();
const std::vector<WORD> &ConsoleAttributeHistory();

// Process token.
void SetTokenOpenError(DWORD error);  // 0: the token opens
void SetPrivilegeHeld(const wchar_t *name, bool held);
bool PrivilegeEnabled(const wchar_t *name);
// The user the process runs as, by SID text ("S-1-5-21-..."): HKEY_CURRENT_USER
// is \REGISTRY\USER\<sid>. A fresh machine has its own administrator; false,
// nothing changed, for text that is no SID.
bool SetUserSid(const std::wstring &text);

// Known folders that Windows takes from the registry's shell folders: the
// common Start menu (CSIDL_COMMON_STARTMENU); empty for Windows' default.
void SetCommonStartMenu(const std::wstring &path);

// Dialogs: answers are taken in order; with none left a dialog cannot be
// shown (0), unless the host program lets the terminal answer.
struct Dialog {
    std::wstring text;
    std::wstring caption;
    UINT style;
};
void QueueDialogAnswers(const std::vector<int> &answers);
const std::vector<Dialog> &DialogsShown();
void SetTerminalAnswersDialogs(bool enabled);

// Restart requests are recorded, never carried out.
struct RestartRequest {
    UINT flags;
    DWORD reason;
};
void SetRestartError(DWORD error);  // 0: ExitWindowsEx succeeds
const std::vector<RestartRequest> &RestartRequests();

}  // namespace winsim
