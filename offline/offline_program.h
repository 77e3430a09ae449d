// The pieces of vxclean-offline's start-up: the product's install command run
// on the host against a Windows volume that does not boot, its registry
// mounted from the volume's own hive files.
#pragma once

#include <string>
#include <vector>

#include "winsim/offline_hives.h"

namespace offline {

const char PROGRAM[] = "vxclean-offline";

struct Options {
    bool yes = false;
    bool delkeys = false;
    bool show = false;
    std::string root;
};
// False with the usage text's reason for anything but the options and one root.
bool ParseOptions(int argc, char **argv, Options *options, std::string *error);

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
};
// A hive file mounted at a path from \REGISTRY and added to the mounts; a
// line for a dirty hive whose logs were replayed, a warning for a log that
// stopped early.
bool MountInto(const std::string &file, const std::vector<std::wstring> &path, std::vector<winsim::MountedHive> *mounts,
               std::wstring *reason);
// Each profile whose NTUSER.DAT exists: its hive at \REGISTRY\USER\<sid>, its
// UsrClass.dat, when it has one, at \REGISTRY\USER\<sid>_Classes.
bool MountProfiles(std::vector<winsim::MountedHive> *mounts, std::vector<Profile> *profiles, std::wstring *reason);

// Whether a removal can write what it must: false with a reason, naming what
// cannot be written and what to do, on a read-only volume or when a hive or
// its folder is not writable.
bool VolumeWritable(const std::string &root, const std::vector<winsim::MountedHive> &mounts, std::wstring *reason);

// SYSTEM and SOFTWARE mounted, the settings taken from them, and the
// profiles mounted; false with a reason naming the hive that could not be.
bool MountRegistry(const std::string &systemHive, const std::string &softwareHive,
                   std::vector<winsim::MountedHive> *mounts, std::vector<Profile> *profiles, std::wstring *reason);

// The question on the terminal: 0 when it was answered yes, 1 for a refusal,
// 2 without a terminal to ask on.
int Confirm(const std::string &root);

// Every mounted hive that changed written back; false when one could not be.
bool SaveHives(const std::vector<winsim::MountedHive> &mounts);

// The install command's inner form for the options, run once, each profile
// taking its turn as HKEY_CURRENT_USER for the users' steps.
int RunInstallCommand(const Options &options, const std::vector<Profile> &profiles);

void Complain(const std::wstring &message);

}  // namespace offline
