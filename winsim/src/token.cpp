// The process token: an administrator's, holding every privilege unless a
// test takes one away; privileges start disabled, as on Windows.
#include "file_system.h"
#include "machine.h"

namespace {

struct Privilege {
    const wchar_t *name;
    DWORD luid;
};

const Privilege privileges[] = {
    {L"SeSecurityPrivilege", 8}, {L"SeTakeOwnershipPrivilege", 9}, {L"SeBackupPrivilege", 17},
    {L"SeRestorePrivilege", 18}, {L"SeShutdownPrivilege", 19},     {L"SeDebugPrivilege", 20},
};

const Privilege *FindPrivilegeByName(LPCWSTR name)
{
    std::wstring lower = winsim::Lowercase(name);
    for (const Privilege &privilege : privileges)
        if (winsim::Lowercase(privilege.name) == lower)
            return &privilege;
    return nullptr;
}

const Privilege *FindPrivilegeByLuid(const LUID &luid)
{
    for (const Privilege &privilege : privileges)
        if (luid.HighPart == 0 && privilege.luid == luid.LowPart)
            return &privilege;
    return nullptr;
}

}  // namespace

namespace winsim {

void SetTokenOpenError(DWORD error)
{
    TheMachine().tokenOpenError = error;
}

void SetPrivilegeHeld(const wchar_t *name, bool held)
{
    std::wstring lower = Lowercase(name);
    if (held) {
        TheMachine().privilegesMissing.erase(lower);
    } else {
        TheMachine().privilegesMissing.insert(lower);
        TheMachine().privilegesEnabled.erase(lower);
    }
}

bool PrivilegeEnabled(const wchar_t *name)
{
    return TheMachine().privilegesEnabled.count(Lowercase(name)) != 0;
}

}  // namespace winsim

using namespace winsim;

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle)
{
    if (ProcessHandle != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (TheMachine().tokenOpenError) {
        SetLastError(TheMachine().tokenOpenError);
        return FALSE;
    }
    HANDLE token = reinterpret_cast<HANDLE>(TheMachine().nextHandle += 4);
    TheMachine().openTokens[token] = DesiredAccess;
    *TokenHandle = token;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    // Tokens and files share the handle numbers.
    if (TheMachine().openTokens.erase(hObject) == 0 && !CloseFileHandle(hObject)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI LookupPrivilegeValueW(LPCWSTR lpSystemName, LPCWSTR lpName, PLUID lpLuid)
{
    const Privilege *privilege = lpName ? FindPrivilegeByName(lpName) : nullptr;
    if (lpSystemName || !privilege) {
        SetLastError(lpSystemName ? ERROR_INVALID_PARAMETER : ERROR_NO_SUCH_PRIVILEGE);
        return FALSE;
    }
    lpLuid->LowPart = privilege->luid;
    lpLuid->HighPart = 0;
    return TRUE;
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState, DWORD,
                                  PTOKEN_PRIVILEGES, PDWORD)
{
    auto token = TheMachine().openTokens.find(TokenHandle);
    if (token == TheMachine().openTokens.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(token->second & TOKEN_ADJUST_PRIVILEGES)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (DisableAllPrivileges) {
        TheMachine().privilegesEnabled.clear();
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    bool allAssigned = true;
    for (DWORD i = 0; i < NewState->PrivilegeCount; ++i) {
        const Privilege *privilege = FindPrivilegeByLuid(NewState->Privileges[i].Luid);
        std::wstring lower = privilege ? Lowercase(privilege->name) : std::wstring();
        if (!privilege || TheMachine().privilegesMissing.count(lower)) {
            allAssigned = false;
            continue;
        }
        if (NewState->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED)
            TheMachine().privilegesEnabled.insert(lower);
        else
            TheMachine().privilegesEnabled.erase(lower);
    }
    SetLastError(allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}
