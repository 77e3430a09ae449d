// The users' hives, found as Windows finds them through the profile list.
#include <sys/stat.h>

#include <cstdio>

#include "offline_program.h"
#include "winsim/control.h"
#include "winsim/utf8.h"

namespace offline {
namespace {

const wchar_t PROFILE_LIST[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

std::vector<std::wstring> ProfileSids()
{
    std::vector<std::wstring> sids;
    HKEY list;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, PROFILE_LIST, 0, KEY_READ | KEY_WOW64_64KEY, &list) != ERROR_SUCCESS)
        return sids;
    wchar_t name[256];
    DWORD length;
    for (DWORD i = 0; length = 256, RegEnumKeyExW(list, i, name, &length, 0, 0, 0, 0) == ERROR_SUCCESS; ++i)
        sids.push_back(name);
    RegCloseKey(list);
    return sids;
}

// The host file of a path in the profile, empty when there is none.
std::string FileInProfile(const std::wstring &profile, const wchar_t *relative)
{
    std::string host = winsim::HostPathOf(profile + relative);
    struct stat status;
    return !host.empty() && stat(host.c_str(), &status) == 0 && S_ISREG(status.st_mode) ? host : std::string();
}

}  // namespace

bool MountInto(const std::string &file, const std::vector<std::wstring> &path, std::vector<winsim::MountedHive> *mounts,
               std::wstring *reason)
{
    winsim::MountedHive mounted;
    if (!winsim::MountHive(file, path, &mounted, reason))
        return false;
    for (const std::wstring &fault : mounted.logFaults)
        Complain(fault);
    if (!mounted.replayNote.empty())
        std::printf("%s\n", winsim::EncodeUtf8(mounted.replayNote.c_str()).c_str());
    mounts->push_back(mounted);
    return true;
}

bool MountProfiles(std::vector<winsim::MountedHive> *mounts, std::vector<Profile> *profiles, std::wstring *reason)
{
    for (const std::wstring &sid : ProfileSids()) {
        std::wstring key = std::wstring(PROFILE_LIST) + L"\\" + sid;
        std::wstring folder = MachineString(key.c_str(), L"ProfileImagePath");
        std::string user = folder.empty() ? std::string() : FileInProfile(folder, L"\\NTUSER.DAT");
        if (user.empty())
            continue;
        if (!winsim::SetUserSid(sid)) {
            Complain(L"the profile " + sid + L" is not named by a SID: passed over");
            continue;
        }
        std::string classes = FileInProfile(folder, L"\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat");
        if (!MountInto(user, {L"USER", sid}, mounts, reason) ||
            (!classes.empty() && (!MountInto(classes, {L"USER", sid + L"_Classes"}, mounts, reason) ||
                                  !winsim::LinkUserClasses(sid, reason))))
            return false;
        profiles->push_back(Profile{sid});
    }
    return true;
}

}  // namespace offline
