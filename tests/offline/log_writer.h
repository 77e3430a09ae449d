// Transaction logs made up for tests, written as Windows writes them: what
// a crash leaves beside a hive whose newest changes had not reached it.
#pragma once

#include <cstdint>
#include <string>

#include "hive_base_block.h"

// Sets the base block's two sequence numbers and puts its checksum right.
void SetSequences(winsim::HiveBytes &file, uint32_t primary, uint32_t secondary);

// Puts the hash of the Windows 8.1 format log entry at the byte right.
void HashLogEntry(winsim::HiveBytes &log, size_t at);

// A log holding every page in which the image differs from the primary
// file, as one entry that carries on from the primary's last complete
// write: of the Windows 8.1 format in 4096-byte pages, or of the older
// format in 512-byte pages (the primary's time of last write then its own).
winsim::HiveBytes NewFormatLog(const winsim::HiveBytes &primary, const winsim::HiveBytes &image);
winsim::HiveBytes OldFormatLog(const winsim::HiveBytes &primary, const winsim::HiveBytes &image);

// Leaves the hive as a crash does: its file the bytes it had before the
// changes, its write of them begun and not ended, and the changes in its
// first log (the second emptied).
void LeaveAsCrashed(const std::string &hive, const winsim::HiveBytes &before, bool newFormat);

winsim::HiveBytes ReadBytes(const std::string &file);
void WriteBytes(const std::string &file, const winsim::HiveBytes &bytes);
