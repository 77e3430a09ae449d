// The volume's registry as a booting Windows puts it together: the machine's
// hives, the settings it takes from them, then the users' hives.
#include "offline_program.h"

namespace offline {

bool MountRegistry(const std::string &systemHive, const std::string &softwareHive,
                   std::vector<winsim::MountedHive> *mounts, std::vector<Profile> *profiles, std::wstring *reason)
{
    if (!MountInto(systemHive, {L"MACHINE", L"SYSTEM"}, mounts, reason) ||
        !MountInto(softwareHive, {L"MACHINE", L"SOFTWARE"}, mounts, reason))
        return false;
    TakeSettingsFromRegistry();
    return MountProfiles(mounts, profiles, reason);
}

}  // namespace offline
