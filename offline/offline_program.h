// The pieces of vxclean-offline's start-up: the product's install command run
// on the host against a Windows volume that does not boot, its registry
// mounted from the volume's own hive files.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "win32api.h"
#include "winsim/offline_hives.h"

namespace offline {

const char PROGRAM[] = "vxclean-offline";

// The exit statuses, for scripts.
const int EXIT_CLEAN = 0;    // nothing of the products found, or all of it removed
const int EXIT_FOUND = 1;    // --show found the products
const int EXIT_REFUSED = 2;  // refused, or not confirmed: nothing was changed
const int EXIT_FAILED = 3;   // a step or a hive's writing failed: run again once its cause is fixed

struct Options {
    bool yes = false;
    bool delkeys = false;
    bool show = false;
    bool help = false;
    bool version = false;
    std::string root;
};
// False with the usage text's reason for anything but the options and one
// root; --help and --version need no root.
bool ParseOptions(int argc, char **argv, Options *options, std::string *error);
// The usage line, and with --help the whole text.
void PrintUsage(FILE *stream, bool whole);

// A fresh machine whose drive C: is the root folder: 64-bit Windows when it
// has Windows\SysWOW64. False with a reason when the folder holds no SYSTEM
// and SOFTWARE hives in Windows\System32\config.
bool StartMachine(const std::string &root, std::string *systemHive, std::string *softwareHive, std::wstring *reason);

// The lock that keeps a second vxclean-offline off the volume while this one
// runs: exclusive for a removal, shared for a report. False with a reason when
// another holds it.
bool LockVolume(const std::string &configFolder, const std::wstring &root, bool shared, std::wstring *reason);

// The environment and the common Start menu that Windows takes from the
// registry; a folder that is not on drive C: is passed over with a warning.
void TakeSettingsFromRegistry();

// A registry string of HKEY_LOCAL_MACHINE (the 64-bit view), REG_EXPAND_SZ
// expanded; empty when it is missing or of another type.
std::wstring MachineString(const wchar_t *key, const wchar_t *name);

struct Profile {
    std::wstring sid;
    std::wstring folder;     // as Windows names it, C:\Users\...
    std::string hostFolder;  // where it is on this machine
    std::string user;        // its NTUSER.DAT, empty when it was passed over
    std::string classes;     // its UsrClass.dat, empty when it has none
};
// A hive file mounted at a path from \REGISTRY and added to the mounts; a
// line for a dirty hive whose logs were replayed, a warning for a log that
// stopped early.
bool MountInto(const std::string &file, const std::vector<std::wstring> &path, std::vector<winsim::MountedHive> *mounts,
               std::wstring *reason);
// Each profile of the ProfileList, printed with its folder and hives: its
// NTUSER.DAT at \REGISTRY\USER\<sid>, its UsrClass.dat, when it has one, at
// \REGISTRY\USER\<sid>_Classes. A profile whose folder is not on the volume,
// or holds neither hive, is passed over with its reason; one with a
// UsrClass.dat but no NTUSER.DAT is refused (false with a reason), as its
// classes could not be cleaned.
bool MountProfiles(std::vector<winsim::MountedHive> *mounts, std::vector<Profile> *profiles, std::wstring *reason);

// Whether the volume has room for what a removal writes (the backups of the
// hives and their logs, the new hives beside the old ones, and the run's
// record); false with a reason that gives the figures.
bool VolumeHasRoom(const std::string &root, const std::vector<winsim::MountedHive> &mounts, std::wstring *reason);

// Whether a removal can write what it must: false with a reason, naming what
// cannot be written and what to do, on a read-only volume, when a hive or its
// folder is not writable, or when a new file beside a hive cannot be given
// the hive's owner, group, mode and extended attributes.
bool VolumeWritable(const std::string &root, const std::vector<winsim::MountedHive> &mounts, std::wstring *reason);

// SYSTEM and SOFTWARE mounted, the settings taken from them, and the
// profiles mounted; false with a reason naming the hive that could not be.
bool MountRegistry(const std::string &systemHive, const std::string &softwareHive,
                   std::vector<winsim::MountedHive> *mounts, std::vector<Profile> *profiles, std::wstring *reason);

// The question on the terminal, and with --delkeys a second one about the
// users' private keys: true when each was answered yes. False, with what was
// said, without a terminal to ask on or for any other answer.
bool Confirm(const std::string &root, bool delkeys);

// The mounted hives that changed written back whenever the install command
// writes its registry (WriteRegistry), each backed up before its first write.
void WriteHivesDuringRun(std::vector<winsim::MountedHive> *mounts);
// The hives written and their backups, for the end of a removal.
void PrintHivesWritten(const std::vector<winsim::MountedHive> &mounts);

// What a report found, as a short list by hive and profile with counts.
void PrintFindings(const std::vector<winsim::MountedHive> &mounts, const std::vector<Profile> &profiles);
// Whether a report found anything a removal would delete.
bool FoundProducts();

// The exit status for the install command's result, which the summary gives
// too (ExitStatusOf) once this is called.
int ExitStatus(DWORD result);
void UseExitStatuses(const Options &options);

// The install command's inner form for the options, run once, each profile
// taking its turn as HKEY_CURRENT_USER for the users' steps.
int RunInstallCommand(const Options &options, const std::vector<Profile> &profiles);

void Complain(const std::wstring &message);

}  // namespace offline
