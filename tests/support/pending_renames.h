// The delete-at-restart records that the machine holds, in the order made.
#pragma once

#include <string>
#include <vector>

struct PendingRecord {
    std::wstring from;  // "\??\" and the path
    std::wstring to;    // "" for a deletion
};

// Windows keeps them in the value PendingFileRenameOperations; Wine carries
// them out when a new session starts, so read them while the same one runs.
std::vector<PendingRecord> PendingRenames();
