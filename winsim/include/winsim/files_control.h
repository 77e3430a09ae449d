// Test and host control of the simulated machine's files. Included by control.h.
#pragma once

#include <string>
#include <vector>

#include "winsim/windows.h"

namespace winsim {

// The machine's folder on the host; drive C: is its folder "C", made with the
// folders that Windows itself has. An empty name leaves the machine without
// a drive C:.
void SetMachineFolder(const std::string &hostFolder);
const std::string &MachineFolder();
// Drive C: is this host folder as it is (a Windows volume mounted on the
// host), without a machine folder; nothing is added to it.
void UseFolderAsDriveC(const std::string &hostFolder);
// Where a path of drive C: lies on the host, each name matched without
// regard to case as Windows matches it, no WOW64 redirection; empty for a
// path that cannot be on drive C: or whose folders are missing.
std::string HostPathOf(const std::wstring &windowsPath);

// A file mapped as a loaded image (a DLL or a running program): it cannot be
// deleted but can be renamed, and keeps the state under its new name.
void MapAsLoadedImage(const wchar_t *path);
// A folder that is a junction to another folder.
bool MakeJunction(const wchar_t *link, const wchar_t *target);

// Delete-at-restart records are kept where Windows keeps them, in the value
// PendingFileRenameOperations of HKLM\SYSTEM\CurrentControlSet\Control\Session Manager.
// 0: MoveFileExW records at restart; otherwise it fails with this code.
void SetPendingRenameError(DWORD error);
// What Windows does with the records as it starts again: deletes each file
// and each folder that is empty by then, in order, and forgets the records.
void CarryOutPendingFileRenames();

}  // namespace winsim
