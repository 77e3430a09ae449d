// The second kind of machine winsim can be: a Windows installation on disk
// that does not boot, its registry read from and written back to its real
// hive files. Host only (Linux), through hivex.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace winsim {

struct RegKey;

// A hive file loaded into the registry tree at a path from \REGISTRY, as
// {"MACHINE", "SYSTEM"} or {"USER", sid + "_Classes"}.
struct MountedHive {
    std::string file;
    std::vector<std::wstring> path;
    std::weak_ptr<RegKey> root;  // the key the hive was loaded into
};

// Replaces whatever the registry holds at the path with the hive's keys and
// values, names and data exactly as stored. False with a reason that names the
// file (missing, unreadable, corrupt, or dirty with its logs beside it).
bool MountHive(const std::string &hostFile, const std::vector<std::wstring> &mountPath, MountedHive *mounted,
               std::wstring *reason);

// As Windows does when the user logs on, the user's Software\Classes becomes
// a link to the user's classes hive, mounted at \REGISTRY\USER\<sid>_Classes.
// False with a reason when the user's hive holds a key of that name.
bool LinkUserClasses(const std::wstring &sid, std::wstring *reason);

// Writes what changed in the tree under the mount back into the hive file:
// a backup copy (and of its logs) first, then the new hive put in place in one
// rename. Nothing is written when nothing changed (*written false). False with
// a reason when the hive could not be written; the old file stays then.
bool SaveHive(const MountedHive &mounted, bool *written, std::wstring *reason);

}  // namespace winsim
