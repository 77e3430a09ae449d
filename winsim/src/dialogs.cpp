// Message boxes answered by a test's script, or by the user at the terminal in
// the host program; restart requests recorded, never carried out.
#include <cstdio>
#include <string>

#include "call_faults.h"
#include "machine.h"
#include "winsim/utf8.h"

namespace {

int AskOnTerminal(LPCWSTR text, LPCWSTR caption)
{
    FILE *terminal = std::fopen("/dev/tty", "r+");
    if (!terminal)
        return 0;
    std::fprintf(terminal, "%s: %s [y/n] ", winsim::EncodeUtf8(caption).c_str(), winsim::EncodeUtf8(text).c_str());
    std::fflush(terminal);
    char answer[16] = "";
    int result = 0;
    if (std::fgets(answer, sizeof answer, terminal))
        result = (answer[0] == 'y' || answer[0] == 'Y') ? IDYES : IDNO;
    std::fclose(terminal);
    return result;
}

}  // namespace

namespace winsim {

void QueueDialogAnswers(const std::vector<int> &answers)
{
    TheMachine().dialogAnswers.insert(TheMachine().dialogAnswers.end(), answers.begin(), answers.end());
}

const std::vector<Dialog> &DialogsShown()
{
    return TheMachine().dialogsShown;
}

void SetTerminalAnswersDialogs(bool enabled)
{
    TheMachine().terminalAnswersDialogs = enabled;
}

void SetRestartError(DWORD error)
{
    TheMachine().restartError = error;
}

const std::vector<RestartRequest> &RestartRequests()
{
    return TheMachine().restartRequests;
}

}  // namespace winsim

using namespace winsim;

int WINAPI MessageBoxW(HWND, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    if (LONG fault = EnterCall("MessageBoxW")) {
        SetLastError(static_cast<DWORD>(fault));
        return 0;
    }
    Machine &machine = TheMachine();
    machine.dialogsShown.push_back(Dialog{lpText, lpCaption ? lpCaption : L"Error", uType});
    if (!machine.dialogAnswers.empty()) {
        int answer = machine.dialogAnswers.front();
        machine.dialogAnswers.erase(machine.dialogAnswers.begin());
        return answer;
    }
    return machine.terminalAnswersDialogs ? AskOnTerminal(lpText, lpCaption) : 0;
}

BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason)
{
    Machine &machine = TheMachine();
    machine.restartRequests.push_back(RestartRequest{uFlags, dwReason});
    DWORD error = machine.restartError;
    if (!error && !PrivilegeEnabled(SE_SHUTDOWN_NAME))
        error = ERROR_PRIVILEGE_NOT_HELD;
    if (error) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
