// Drive C: as a host folder (the machine's own or one given as it is), and the file states that tests and the host
// program set up: loaded images and junctions.
#include <unistd.h>

#include <filesystem>

#include "file_system.h"

namespace winsim {
namespace {

// The folders that a fresh 64-bit Windows has, which the product's targets
// and our temporary files lie under.
const char *const standardFolders[] = {
    "Windows/System32/drivers/etc",
    "Windows/SysWOW64",
    "Windows/inf",
    "Windows/Temp",
    "Program Files/Common Files",
    "Program Files (x86)/Common Files",
    "ProgramData/Microsoft/Windows/Start Menu/Programs",
};

}  // namespace

void SetMachineFolder(const std::string &hostFolder)
{
    TheMachine().files.machineFolder = hostFolder;
    TheMachine().files.driveFolder = hostFolder.empty() ? std::string() : hostFolder + "/C";
    if (hostFolder.empty())
        return;
    std::error_code error;
    for (const char *folder : standardFolders)
        std::filesystem::create_directories(hostFolder + "/C/" + folder, error);
}

const std::string &MachineFolder()
{
    return TheMachine().files.machineFolder;
}

void UseFolderAsDriveC(const std::string &hostFolder)
{
    TheMachine().files.machineFolder.clear();
    TheMachine().files.driveFolder = hostFolder;
}

std::string HostPathOf(const std::wstring &windowsPath)
{
    bool redirectionDisabled = TheMachine().fsRedirectionDisabled;
    TheMachine().fsRedirectionDisabled = true;
    ResolvedPath item;
    DWORD error = ResolvePath(windowsPath.c_str(), item);
    TheMachine().fsRedirectionDisabled = redirectionDisabled;
    return error ? std::string() : item.host;
}

void MapAsLoadedImage(const wchar_t *path)
{
    ResolvedPath item;
    if (ResolvePath(path, item) == 0 && item.exists)
        TheMachine().files.loadedImages.insert(NodeOf(item.status));
}

bool MakeJunction(const wchar_t *link, const wchar_t *target)
{
    ResolvedPath linkPath;
    ResolvedPath targetPath;
    if (ResolvePath(link, linkPath) || linkPath.exists || ResolvePath(target, targetPath) || !IsFolder(targetPath))
        return false;
    return symlink(std::filesystem::absolute(targetPath.host).c_str(), linkPath.host.c_str()) == 0;
}

}  // namespace winsim
