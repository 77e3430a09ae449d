// vxclean-offline's start-up, in the place of the host program's: the
// Windows volume becomes the machine, the product's install command runs
// once for each user's profile, and the hives that changed are written back.
#include <unistd.h>

#include <cstdio>

#include "offline_program.h"
#include "winsim/control.h"
#include "winsim/utf8.h"

namespace {

// A hive that cannot be read stops the run: going on would leave the
// products in it, a profile's among them, without the administrator knowing.
const wchar_t NOT_MOUNTED[] = L" Nothing was changed on the volume: every hive must be read for a complete removal. "
                              L"Restore a damaged hive from a backup (its .vxclean-... copy, or Windows' own "
                              L"RegBack copy) and run again.";

int Refuse(const std::wstring &message)
{
    offline::Complain(message);
    return 2;
}

int RefuseUnreadHive(const std::wstring &reason)
{
    return Refuse(reason + (reason.empty() || reason.back() != L'.' ? L"." : L"") + NOT_MOUNTED);
}

}  // namespace

int main(int argc, char **argv)
{
    offline::Options options;
    std::string error;
    if (!offline::ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "%s: %s\nUsage: %s [--yes] [--delkeys] [--show] WINDOWS_ROOT\n", offline::PROGRAM,
                     error.c_str(), offline::PROGRAM);
        return 2;
    }
    std::wstring root = winsim::DecodeUtf8(options.root.c_str());
    std::string systemHive;
    std::string softwareHive;
    std::wstring reason;
    if (!offline::StartMachine(options.root, &systemHive, &softwareHive, &reason))
        return Refuse(root + L": " + reason);
    if (!offline::LockVolume(winsim::HostPathOf(L"C:\\Windows\\System32\\config"), root, options.show, &reason))
        return Refuse(reason);

    std::vector<winsim::MountedHive> mounts;
    std::vector<offline::Profile> profiles;
    if (!offline::MountRegistry(systemHive, softwareHive, &mounts, &profiles, &reason))
        return RefuseUnreadHive(reason);
    if (!options.show && !offline::VolumeWritable(options.root, mounts, &reason))
        return Refuse(reason);

    if (!options.show && !options.yes) {
        int answer = offline::Confirm(options.root);
        if (answer != 0)
            return answer;
    }
    winsim::SetConsoleAttached(isatty(STDOUT_FILENO) != 0);
    int status = offline::RunInstallCommand(options, profiles);
    std::fflush(stdout);
    if (!options.show && !offline::SaveHives(mounts))
        return 2;
    return status;
}
