// The product's install command in the forms that vxclean's entry gives it,
// without a restart: "-clear" (with "-delkeys"), or "-show -warn" for a report.
#include <cstdio>

#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver/wgetopt.h"
#include "offline_program.h"
#include "utf8.h"
#include "winsim/control.h"

namespace offline {
namespace {

const wchar_t NAME[] = L"vxclean-offline";

int RunOnce(const Options &options)
{
    const wchar_t *inner[3] = {NAME, L"-clear"};
    int count = 2;
    if (options.show) {
        inner[1] = L"-show";
        inner[count++] = L"-warn";
    } else if (options.delkeys) {
        inner[count++] = L"-delkeys";
    }
    ProgramName = NAME;
    woptind = 0;
    return static_cast<int>(InstallCommand(count, inner));
}

}  // namespace

// Each run does the whole plan; after the first, the machine-wide steps find
// nothing left and only the user's keys remain to remove.
int RunInstallCommand(const Options &options, const std::vector<Profile> &profiles)
{
    if (profiles.empty())
        return RunOnce(options);
    int status = 0;
    for (const Profile &profile : profiles) {
        std::printf("Profile %s as HKEY_CURRENT_USER\n", winsim::EncodeUtf8(profile.sid.c_str()).c_str());
        std::fflush(stdout);
        winsim::SetUserSid(profile.sid);
        status |= RunOnce(options);
    }
    return status;
}

}  // namespace offline
