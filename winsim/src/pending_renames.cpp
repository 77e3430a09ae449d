// Delete-at-restart records. Windows keeps them in the value
// "PendingFileRenameOperations" of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager;
// until the machine has a registry they are kept here, in the order made.
#include "file_system.h"

namespace winsim {

void RecordPendingFileRename(const std::wstring &from, const std::wstring &to)
{
    TheMachine().files.pendingRenames.push_back(PendingRename{from, to});
}

const std::vector<PendingRename> &PendingFileRenames()
{
    return TheMachine().files.pendingRenames;
}

void SetPendingRenameError(DWORD error)
{
    TheMachine().files.pendingRenameError = error;
}

}  // namespace winsim
