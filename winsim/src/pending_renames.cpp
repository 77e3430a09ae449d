// Delete-at-restart records. Windows keeps them in the value
// "PendingFileRenameOperations" of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager;
// until the machine has a registry they are kept here, in the order made.
#include <unistd.h>

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

void CarryOutPendingFileRenames()
{
    TheMachine().files.loadedImages.clear();
    for (const PendingRename &record : TheMachine().files.pendingRenames) {
        ResolvedPath item;
        std::wstring path = record.from.substr(4);
        if (ResolvePath(path.c_str(), item) || !item.exists)
            continue;
        if (!record.to.empty()) {
            std::wstring to = record.to.substr(record.to[0] == L'!' ? 5 : 4);
            MoveFileExW(path.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING);
        } else if (IsFolder(item) && !IsJunction(item)) {
            rmdir(item.host.c_str());
        } else {
            unlink(item.host.c_str());
        }
    }
    TheMachine().files.pendingRenames.clear();
}

void SetPendingRenameError(DWORD error)
{
    TheMachine().files.pendingRenameError = error;
}

}  // namespace winsim
