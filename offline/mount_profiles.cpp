// The users' hives, found as Windows finds them through the profile list, and
// each profile said at the start: where it is, what was mounted or why not.
#include <sys/stat.h>

#include <cstdio>

#include "offline_program.h"
#include "winsim/control.h"
#include "winsim/utf8.h"

namespace offline {
namespace {

const wchar_t PROFILE_LIST[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const wchar_t USER_HIVE[] = L"NTUSER.DAT";
const wchar_t CLASSES_HIVE[] = L"AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";

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

bool Exists(const std::string &host, mode_t type)
{
    struct stat status;
    return !host.empty() && stat(host.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == type;
}

// The host file of a hive in the profile, empty when there is none. Anything
// else of that name (a folder, a link to nowhere) is there, and its mount
// says why it cannot be read.
std::string HiveInProfile(const std::wstring &folder, const wchar_t *relative)
{
    std::string host = winsim::HostPathOf(folder + L"\\" + relative);
    struct stat status;
    return !host.empty() && lstat(host.c_str(), &status) == 0 ? host : std::string();
}

std::string Utf8(const std::wstring &text)
{
    return winsim::EncodeUtf8(text.c_str());
}

const char *SystemProfileName(const std::wstring &sid)
{
    if (sid == L"S-1-5-18")
        return " (the system's own profile, LocalSystem)";
    if (sid == L"S-1-5-19")
        return " (the system's profile for LocalService)";
    if (sid == L"S-1-5-20")
        return " (the system's profile for NetworkService)";
    return "";
}

void PrintProfile(const Profile &profile, const std::string &passedOver)
{
    std::printf("  %s%s: %s", Utf8(profile.sid).c_str(), SystemProfileName(profile.sid), Utf8(profile.folder).c_str());
    if (!profile.hostFolder.empty())
        std::printf(" = %s", profile.hostFolder.c_str());
    if (!passedOver.empty()) {
        std::printf("\n    passed over: %s\n", passedOver.c_str());
        return;
    }
    std::printf("\n    mounted: %s%s\n", profile.user.c_str(),
                profile.classes.empty() ? " (it has no UsrClass.dat)" : (" and " + profile.classes).c_str());
}

// Why the profile is passed over; empty when its hives are to be mounted.
std::string PassedOver(const Profile &profile)
{
    if (profile.folder.empty())
        return "its ProfileImagePath names no folder";
    if (profile.hostFolder.empty())
        return "its folder is not on this volume: it holds nothing to remove";
    if (!Exists(profile.hostFolder, S_IFDIR))
        return "its folder is not on this volume (the profile was deleted): it holds nothing to remove";
    if (profile.user.empty() && profile.classes.empty())
        return "its folder holds neither NTUSER.DAT nor UsrClass.dat: no registry of its own to clean";
    if (!winsim::SetUserSid(profile.sid))
        return "its name is not a SID, so Windows loads no hive for it (a .bak entry, which Windows sets aside, is "
               "one such)";
    return "";
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
        std::printf("%s\n", Utf8(mounted.replayNote).c_str());
    mounts->push_back(mounted);
    return true;
}

bool MountProfiles(std::vector<winsim::MountedHive> *mounts, std::vector<Profile> *profiles, std::wstring *reason)
{
    std::printf("Profiles in the ProfileList:\n");
    for (const std::wstring &sid : ProfileSids()) {
        Profile profile;
        profile.sid = sid;
        profile.folder = MachineString((std::wstring(PROFILE_LIST) + L"\\" + sid).c_str(), L"ProfileImagePath");
        if (!profile.folder.empty()) {
            profile.hostFolder = winsim::HostPathOf(profile.folder);
            profile.user = HiveInProfile(profile.folder, USER_HIVE);
            profile.classes = HiveInProfile(profile.folder, CLASSES_HIVE);
        }
        std::string passedOver = PassedOver(profile);
        if (passedOver.empty() && profile.user.empty()) {
            *reason = L"the profile " + sid + L" (" + profile.folder + L") has a UsrClass.dat but no NTUSER.DAT: " +
                      L"its classes could not be cleaned. Restore its NTUSER.DAT from a backup, or move its " +
                      winsim::DecodeUtf8(profile.classes.c_str()) + L" aside, and run again.";
            return false;
        }
        PrintProfile(profile, passedOver);
        if (!passedOver.empty())
            continue;
        if (!MountInto(profile.user, {L"USER", sid}, mounts, reason) ||
            (!profile.classes.empty() && (!MountInto(profile.classes, {L"USER", sid + L"_Classes"}, mounts, reason) ||
                                          !winsim::LinkUserClasses(sid, reason))))
            return false;
        profiles->push_back(profile);
    }
    return true;
}

}  // namespace offline
