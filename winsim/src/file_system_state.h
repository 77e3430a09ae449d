// What the simulated machine keeps about its files beside the host folder
// that holds them: attributes the host has no place for, files in use, open
// handles and searches, and the delete-at-restart records.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "security_layout.h"
#include "winsim/control.h"

namespace winsim {

// A file or folder as the host knows it, whatever its name: renames keep it.
struct NodeId {
    unsigned long long device;
    unsigned long long inode;
    bool operator<(const NodeId &other) const
    {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

struct OpenFile {
    NodeId node;
    DWORD access;
    DWORD share;
    int descriptor;
    std::wstring name;  // the full path that the handle names, see OpenedName
};

// A search resumes after the last name it returned, as NTFS does: entries
// made or removed during the search are seen as Windows would see them.
struct FileSearch {
    std::string hostFolder;
    std::wstring pattern;
    int dotsReturned;
    bool started;
    std::wstring lastName;
};

struct FileSystem {
    std::string machineFolder;
    std::string driveFolder;                    // the host folder of drive C:, empty for none
    std::map<NodeId, DWORD> attributes;         // read-only, hidden, system, archive ...
    std::map<NodeId, ObjectSecurity> security;  // given when the item was made
    std::set<NodeId> loadedImages;
    std::map<HANDLE, OpenFile> openFiles;
    std::map<HANDLE, FileSearch> searches;
    DWORD pendingRenameError = 0;
    UINT nextTempUnique = 0x3A7C;
};

}  // namespace winsim
