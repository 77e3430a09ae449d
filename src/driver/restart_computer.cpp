#include "driver/privileges.h"

namespace {

const wchar_t RESTART_TEXT[] =
    L"Для завершения удаления продуктов компании Векса-Люн необходима перезагрузка! Выполнить её сейчас?";
const wchar_t RESTART_CAPTION[] = L"Предупреждение";
const DWORD RESTART_REASON =
    SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_MAINTENANCE;

}  // namespace

BOOL CanRestart()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return FALSE;
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    BOOL enabled = FALSE;
    if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        // ERROR_NOT_ALL_ASSIGNED here means the token does not hold it.
        enabled = GetLastError() == ERROR_SUCCESS;
    }
    CloseHandle(token);
    return enabled;
}

DWORD RestartComputer()
{
    if (!CanRestart())
        return 0;
    if (MessageBoxW(nullptr, RESTART_TEXT, RESTART_CAPTION, MB_YESNO) != IDYES)
        return 1;
    return ExitWindowsEx(EWX_REBOOT, RESTART_REASON) ? 1 : 0;
}
