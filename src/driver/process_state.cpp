#include "driver/process_state.h"

DWORD RegViewFlag = 0;
int RebootNeeded = 0;
BOOL (*NextUserProfile)() = nullptr;
DWORD (*WriteRegistry)() = nullptr;
DWORD (*ExitStatusOf)(DWORD) = nullptr;
const wchar_t *ProgramName = nullptr;
