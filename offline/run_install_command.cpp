// The product's install command in the forms that vxclean's entry gives it,
// without a restart: "-clear" (with "-delkeys"), or "-show -warn" (with
// "-delkeys", which then reports what it would delete) for a report.
#include "driver/install_command.h"
#include "driver/process_state.h"
#include "driver/wgetopt.h"
#include "offline_program.h"
#include "report/console_text.h"
#include "winsim/control.h"

namespace offline {
namespace {

const wchar_t NAME[] = L"vxclean-offline";

int RunOnce(const Options &options)
{
    const wchar_t *inner[4] = {NAME, L"-clear"};
    int count = 2;
    if (options.show) {
        inner[1] = L"-show";
        inner[count++] = L"-warn";
    }
    if (options.delkeys)
        inner[count++] = L"-delkeys";
    ProgramName = NAME;
    woptind = 0;
    return static_cast<int>(InstallCommand(count, inner));
}

// The profiles take turns as HKEY_CURRENT_USER for the users' steps of each
// pass; the first is current for the rest of the plan.
const std::vector<Profile> *Profiles = nullptr;
size_t Turn = 0;

void MakeCurrent(size_t turn)
{
    Turn = turn;
    const std::wstring &sid = (*Profiles)[turn].sid;
    winsim::SetUserSid(sid);
    // Through the product's console, so that the run's log says it too.
    PrintOut(L"Profile %ls as HKEY_CURRENT_USER\n", sid.c_str());
}

BOOL NextProfile()
{
    if (Turn + 1 < Profiles->size()) {
        MakeCurrent(Turn + 1);
        return TRUE;
    }
    MakeCurrent(0);
    return FALSE;
}

}  // namespace

// One run of the whole plan; each profile gets the users' steps of each pass.
int RunInstallCommand(const Options &options, const std::vector<Profile> &profiles)
{
    if (profiles.empty())
        return RunOnce(options);
    Profiles = &profiles;
    MakeCurrent(0);
    NextUserProfile = NextProfile;
    int status = RunOnce(options);
    NextUserProfile = nullptr;
    return status;
}

}  // namespace offline
