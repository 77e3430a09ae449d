#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver/wow64.h"
#include "plan/plan.h"
#include "report/console_text.h"

DWORD RunPass(DWORD dwMode, DWORD fWarn)
{
    DWORD result = CleanRegistry(dwMode, fWarn);
    if (dwMode == MODE_REMOVE && WriteRegistry) {
        if (DWORD unwritten = WriteRegistry()) {
            PrintOut(L"The files of this pass are left as they are: the registry that names them could not be "
                     L"written.\n");
            return result | unwritten;
        }
    }
    // Only the file plan of a 64-bit-view pass sees the file system unredirected.
    bool unredirected = RegViewFlag == KEY_WOW64_64KEY;
    PVOID oldValue = nullptr;
    if (unredirected)
        DisableFsRedirection(&oldValue);
    result |= CleanFiles(dwMode, fWarn);
    if (unredirected)
        RevertFsRedirection(oldValue);
    return result;
}
