// Replaying a dirty hive's transaction logs over its primary file, as
// Windows does when it loads the hive: bytes in, the replayed image out.
#pragma once

#include <string>
#include <vector>

#include "hive_base_block.h"

namespace winsim {

struct LogFile {
    std::string name;  // as messages give it
    HiveBytes bytes;
};

struct LogReplay {
    HiveBytes image;  // the primary file replayed; empty when nothing was replayed
    size_t entries = 0;
    size_t pages = 0;  // dirty page references applied
    // The log whose copy of the base block stands in for the hive's own,
    // whose checksum is wrong; empty when the hive's own was used.
    std::string baseBlockFrom;
    // Why a log or the replay ended before the logs' end: each log's first
    // entry that did not check out, a log that did not continue the other.
    std::vector<std::string> stops;
};

// A clean hive, or logs with nothing at or after the hive's last complete
// write, give no image: the primary file is to be read as it stands. A hive
// whose base block has a wrong checksum takes a log's copy of it, as Windows
// does: the image is then that of the copy and what replays after it; with
// no log holding a good copy, there is no image and baseBlockFrom is empty.
LogReplay ReplayLogs(const HiveBytes &primary, const std::vector<LogFile> &logs);

}  // namespace winsim
