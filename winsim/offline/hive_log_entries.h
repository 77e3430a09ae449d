// Reading the two formats of a hive's transaction log into the same form:
// entries, each a set of pages of the hive bins to write over the primary
// file's. Nothing past a log's end is read, and the first thing that does
// not check out ends the reading, with what it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hive_base_block.h"

namespace winsim {

// Bytes of the log written over the hive bins at an offset from their start.
struct DirtyPage {
    uint32_t binsOffset;
    uint32_t size;
    size_t logOffset;
};

struct LogEntry {
    uint32_t sequence;  // the sequence number the hive has once it is applied
    uint32_t binsSize;  // the hive bins' size once it is applied
    std::vector<DirtyPage> pages;
};

struct LogEntries {
    std::vector<LogEntry> entries;
    std::string stop;  // why reading ended before the log's end; empty when it did not
};

// The HvLE entries of a log of the Windows 8.1 format, in order, each
// numbered one after the one before and its two hashes right.
LogEntries ReadNewFormatEntries(const HiveBytes &log, const std::string &name);

// The dirty vector and pages of a log of the older format, as one entry of
// 512-byte pages; the header has been checked by the caller.
LogEntries ReadOldFormatEntry(const HiveBytes &log, const BaseBlock &header, const std::string &name);

}  // namespace winsim
