// A log of the older format: after the copy of the base block, a sector
// starting "DIRT" with a bitmap of the hive bins' 512-byte pages, then the
// pages whose bits are set, in the bitmap's order, from the next sector on.
// A page that starts a hive bin is checked to be that bin's place; the log
// is not used when one is not.
#include <cstring>

#include "hive_log_entries.h"
#include "little_endian.h"

namespace winsim {
namespace {

const unsigned char SIGNATURE[] = {'D', 'I', 'R', 'T'};
const unsigned char BIN_SIGNATURE[] = {'h', 'b', 'i', 'n'};
const size_t BIN_OFFSET_AT = 4;
const size_t PAGE_SIZE = 512;

// A page that starts a hive bin must be written where the bin says it is.
bool BinInPlace(const HiveBytes &log, size_t pageAt, size_t binsOffset)
{
    return binsOffset % BIN_BLOCK_SIZE != 0 || std::memcmp(&log[pageAt], BIN_SIGNATURE, sizeof BIN_SIGNATURE) != 0 ||
           ReadLe32(&log[pageAt + BIN_OFFSET_AT]) == binsOffset;
}

}  // namespace

LogEntries ReadOldFormatEntry(const HiveBytes &log, const BaseBlock &header, const std::string &name)
{
    LogEntries read;
    const size_t bitmapAt = LOG_SECTOR_SIZE + sizeof SIGNATURE;
    const size_t bitmapBytes = header.binsSize / PAGE_SIZE / 8;
    if (header.binsSize % BIN_BLOCK_SIZE != 0 || header.binsSize > MAX_BINS_SIZE) {
        read.stop = name + ": its hive bins size of " + std::to_string(header.binsSize) +
                    " bytes is not a whole number of 4096-byte blocks below 2 GiB";
        return read;
    }
    if (log.size() < bitmapAt || std::memcmp(log.data() + LOG_SECTOR_SIZE, SIGNATURE, sizeof SIGNATURE) != 0) {
        read.stop = name + ": no DIRT dirty vector follows its base block";
        return read;
    }
    if (log.size() - bitmapAt < bitmapBytes) {
        read.stop = name + ": its dirty vector is cut short by the end of the log";
        return read;
    }
    LogEntry entry = {header.primarySequence, header.binsSize, {}};
    size_t pageAt = (bitmapAt + bitmapBytes + LOG_SECTOR_SIZE - 1) / LOG_SECTOR_SIZE * LOG_SECTOR_SIZE;
    for (size_t bit = 0; bit < bitmapBytes * 8; ++bit) {
        if (!(log[bitmapAt + bit / 8] >> bit % 8 & 1))
            continue;
        if (pageAt > log.size() || log.size() - pageAt < PAGE_SIZE) {
            read.stop =
                name + ": its dirty page " + std::to_string(entry.pages.size() + 1) + " lies past the end of the log";
            return read;
        }
        if (!BinInPlace(log, pageAt, bit * PAGE_SIZE)) {
            read.stop = name + ": its dirty page for offset " + std::to_string(bit * PAGE_SIZE) +
                        " of the hive bins holds a hive bin that belongs elsewhere";
            return read;
        }
        entry.pages.push_back(DirtyPage{static_cast<uint32_t>(bit * PAGE_SIZE), PAGE_SIZE, pageAt});
        pageAt += PAGE_SIZE;
    }
    read.entries.push_back(std::move(entry));
    return read;
}

}  // namespace winsim
