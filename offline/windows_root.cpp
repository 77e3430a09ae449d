// The Windows volume as drive C: of a fresh machine, and its two machine hives.
#include <sys/stat.h>

#include "offline_program.h"
#include "winsim/control.h"

namespace offline {
namespace {

bool IsFile(const std::string &host)
{
    struct stat status;
    return !host.empty() && stat(host.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool IsFolder(const std::string &host)
{
    struct stat status;
    return !host.empty() && stat(host.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

bool StartMachine(const std::string &root, std::string *systemHive, std::string *softwareHive, std::wstring *reason)
{
    winsim::ResetMachine();
    if (!IsFolder(root)) {
        *reason = L"no folder there";
        return false;
    }
    winsim::UseFolderAsDriveC(root);
    bool windows64 = IsFolder(winsim::HostPathOf(L"C:\\Windows\\SysWOW64"));
    winsim::SetMachineKind(windows64 ? winsim::MachineKind::Windows64 : winsim::MachineKind::Windows32);
    *systemHive = winsim::HostPathOf(L"C:\\Windows\\System32\\config\\SYSTEM");
    *softwareHive = winsim::HostPathOf(L"C:\\Windows\\System32\\config\\SOFTWARE");
    if (IsFile(*systemHive) && IsFile(*softwareHive))
        return true;
    *reason = L"not a Windows root: it has no Windows\\System32\\config\\SYSTEM and SOFTWARE";
    return false;
}

}  // namespace offline
