// The state of the simulated machine, shared by the files that simulate its calls.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "file_system_state.h"
#include "registry/reg_handles.h"
#include "winsim/control.h"

namespace winsim {

struct PlannedFault {
    std::string function;
    unsigned nth;
    LONG code;
};

// A failure planted on one key; an empty entry stands for every entry.
struct PlannedKeyFault {
    std::string function;
    std::weak_ptr<RegKey> key;
    std::wstring entry;
    LONG code;
};

struct Machine {
    MachineKind kind = MachineKind::Windows64;
    std::set<std::string> removedExports;  // "module!name", module in lower case
    bool moduleHandleFails = false;
    bool fsRedirectionDisabled = false;

    bool consoleAttached = true;
    UINT consoleOutputCodePage = 866;
    WORD consoleAttribute = FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE;
    std::vector<WORD> consoleAttributeHistory;

    bool clockFixed = false;  // else GetLocalTime gives the host's time
    SYSTEMTIME fixedTime = SYSTEMTIME();

    DWORD tokenOpenError = 0;
    std::set<std::wstring> privilegesMissing;  // names in lower case
    std::set<std::wstring> privilegesEnabled;  // names in lower case
    std::map<HANDLE, DWORD> openTokens;        // handle -> access granted
    uintptr_t nextHandle = 0x1000;

    std::vector<int> dialogAnswers;
    std::vector<Dialog> dialogsShown;
    bool terminalAnswersDialogs = false;

    // Variables the process set, by upper-case name; a deleted one is absent.
    std::map<std::wstring, std::pair<bool, std::wstring>> environment;
    std::wstring commonStartMenu;  // empty: Windows' default

    KeyPtr registry = FreshRegistry(MachineKind::Windows64);
    std::map<HKEY, KeyHandle> keyHandles;
    std::map<std::string, unsigned> callCounts;
    std::vector<PlannedFault> callFaults;
    std::vector<PlannedFault> kills;  // calls at which the process is killed
    std::vector<PlannedKeyFault> keyFaults;

    DWORD restartError = 0;
    std::vector<RestartRequest> restartRequests;

    FileSystem files;
};

Machine &TheMachine();
std::wstring Lowercase(const wchar_t *text);

}  // namespace winsim
