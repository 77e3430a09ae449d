// vxclean-offline's start-up, in the place of the host program's: the
// Windows volume becomes the machine, the product's install command runs
// once for each user's profile, and the hives that changed are written back
// before the files go and before the summary.
#include <unistd.h>

#include <cstdio>

#include "driver/process_state.h"
#include "offline_program.h"
#include "record/record.h"
#include "report/tally.h"
#include "version.h"
#include "winsim/control.h"
#include "winsim/utf8.h"

namespace {

// A hive that cannot be read stops the run: going on would leave the
// products in it, a profile's among them, without the administrator knowing.
const wchar_t NOT_MOUNTED[] = L" Nothing was changed on the volume: every hive must be read for a complete removal. "
                              L"Make a hive that cannot be read for its permissions readable, or restore a damaged "
                              L"one from a backup (its .vxclean-... copy, or Windows' own RegBack copy), and run "
                              L"again.";

int Refuse(const std::wstring &message)
{
    offline::Complain(message);
    return offline::EXIT_REFUSED;
}

int RefuseUnreadHive(const std::wstring &reason)
{
    return Refuse(reason + (reason.empty() || reason.back() != L'.' ? L"." : L"") + NOT_MOUNTED);
}

// What a removal leaves to say after the summary: where the record is on
// this machine, the backups, and what "Restart needed" means here.
void SayWhatIsLeft(const std::vector<winsim::MountedHive> &mounts, int status)
{
    std::wstring record = RecordFolder();
    if (!record.empty())
        std::printf("The record of this run, %s, is %s on this machine.\n", winsim::EncodeUtf8(record.c_str()).c_str(),
                    winsim::HostPathOf(record).c_str());
    offline::PrintHivesWritten(mounts);
    if (status != offline::EXIT_CLEAN)
        std::printf("The removal is not complete (see the failures above): run vxclean-offline again once their "
                    "cause is fixed; it removes what is left.\n");
    else if (RebootNeeded || TallyOf(TALLY_AT_RESTART))
        std::printf("\"Restart needed\" means here: Windows finishes the removal at its next start; there is "
                    "nothing more to do on this volume.\n");
}

}  // namespace

int main(int argc, char **argv)
{
    offline::Options options;
    std::string error;
    if (!offline::ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "%s: %s\n", offline::PROGRAM, error.c_str());
        offline::PrintUsage(stderr, false);
        std::fprintf(stderr, "Try '%s --help' for more.\n", offline::PROGRAM);
        return offline::EXIT_REFUSED;
    }
    if (options.help || options.version) {
        if (options.version)
            std::printf("%s %s\n", offline::PROGRAM, VXCLEAN_VERSION_TEXT);
        if (options.help)
            offline::PrintUsage(stdout, true);
        return offline::EXIT_CLEAN;
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
    if (!options.show && (!offline::VolumeWritable(options.root, mounts, &reason) ||
                          !offline::VolumeHasRoom(options.root, mounts, &reason)))
        return Refuse(reason);
    if (!options.show && !options.yes && !offline::Confirm(options.root, options.delkeys))
        return offline::EXIT_REFUSED;

    winsim::SetConsoleAttached(isatty(STDOUT_FILENO) != 0);
    if (!options.show)
        offline::WriteHivesDuringRun(&mounts);
    offline::UseExitStatuses(options);
    int status = offline::ExitStatus(offline::RunInstallCommand(options, profiles));
    std::fflush(stdout);
    if (options.show)
        offline::PrintFindings(mounts, profiles);
    else
        SayWhatIsLeft(mounts, status);
    return status;
}
