// Windows carries the record out at its next start, before any 32-bit
// process and so without WOW64 redirection: the record names the item where
// it really is, or a file renamed in SysWOW64 would be looked for in System32.
#include <string>

#include "files/files.h"

BOOL DeleteAtRestart(LPCWSTR lpPath)
{
    std::wstring real;
    return MoveFileExW(RealPathOf(lpPath, &real) ? real.c_str() : lpPath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
