// The second kind of machine winsim can be: a Windows installation on disk
// that does not boot, its registry read from and written back to its real
// hive files. Host only (Linux), through hivex.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace winsim {

struct RegKey;
class ReplayedCopy;

// A hive file loaded into the registry tree at a path from \REGISTRY, as
// {"MACHINE", "SYSTEM"} or {"USER", sid + "_Classes"}.
struct MountedHive {
    std::string file;
    std::vector<std::wstring> path;
    std::weak_ptr<RegKey> root;  // the key the hive was loaded into
    // A dirty hive's logs replayed into a private copy, which the mount was
    // read from and a save starts from; null when the file was read itself.
    std::shared_ptr<ReplayedCopy> replayed;
    std::wstring replayNote;  // what was replayed from which logs
    // Where a log stopped before its end; a dirty hive read without changes
    // that no log holds.
    std::vector<std::wstring> logFaults;
    // The backup's suffix (".vxclean-YYYYMMDD-HHMMSS") once the hive was
    // backed up; a later save in the same run takes none.
    std::string backup;
};

// Replaces whatever the registry holds at the path with the hive's keys and
// values, names and data exactly as stored. A dirty hive is read with what its
// logs hold replayed, in a private temporary copy: nothing is written beside
// the hive. False with a reason that names the file and says in words what is
// wrong (missing, unreadable, no hive, cut short, damaged, its base block
// damaged with no log holding a good copy, a log of it unreadable, no room for
// the copy).
bool MountHive(const std::string &hostFile, const std::vector<std::wstring> &mountPath, MountedHive *mounted,
               std::wstring *reason);

// The bytes of the hive as it was mounted: the file's, or its replayed copy's.
unsigned long long MountedSize(const MountedHive &mounted);

// As Windows does when the user logs on, the user's Software\Classes becomes
// a link to the user's classes hive, mounted at \REGISTRY\USER\<sid>_Classes.
// False with a reason when the user's hive holds a key of that name.
bool LinkUserClasses(const std::wstring &sid, std::wstring *reason);

// Writes what changed in the tree under the mount back into the hive file:
// a backup copy (and of its logs) first, the first time only, then the new
// hive put in place in one rename, each given the owner, group, mode and
// extended attributes of the file it stands for before it takes its name. A replayed hive is written whole and clean,
// and its logs emptied so that Windows does not replay them again. Nothing is written when nothing changed (*written
// false): a replayed hive and its logs stay as they were, for Windows to replay. False with a reason when the hive
// could not be written; the old file stays then.
bool SaveHive(MountedHive &mounted, bool *written, std::wstring *reason);

// Whether a new file beside the hive can be given the hive's owner, group,
// mode and extended attributes (its NTFS security descriptor and attributes
// among them), as a save gives them to the new hive and the backups: a file
// is made beside the hive, given them, read back and removed. False with a
// reason naming the hive and what the new file could not be given.
bool HiveMetadataCopyable(const std::string &hive, std::wstring *reason);

}  // namespace winsim
