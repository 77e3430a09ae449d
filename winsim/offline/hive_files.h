// The files of a hive on the host: its transaction logs, a dated backup copy
// and the new hive put in place so that a crash leaves the old or the new one.
#pragma once

#include <string>
#include <vector>

#include "hive_base_block.h"
#include "hive_names.h"

namespace winsim {

// "<hive>.LOG", "<hive>.LOG1" and "<hive>.LOG2" beside the hive, in any case
// of letters.
std::vector<std::string> LogFilesBeside(const std::string &hive);

// The file's first bytes, at most so many; false, errno set, when they
// cannot be read.
bool ReadHostFile(const std::string &file, size_t most, HiveBytes *bytes);

// "<file>.vxclean-YYYYMMDD-HHMMSS" of the hive and of each log, at the local
// time of the simulated clock, each with its original's owner, group, mode
// and extended attributes; *suffix is what follows the file's name.
bool BackUpHive(const std::string &hive, std::string *suffix, std::wstring *reason);

// hivex writes the hive to a new file in its folder, which is given the old
// file's owner, group, mode and extended attributes, flushed and renamed over
// the hive, and the folder flushed.
bool CommitHive(hive_h *hive, const std::string &file, std::wstring *reason);

// Each log beside the hive cut to nothing, so that Windows finds nothing in
// them to replay over the hive written in their place.
bool EmptyLogs(const std::string &hive, std::wstring *reason);

}  // namespace winsim
