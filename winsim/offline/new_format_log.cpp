// A log of the Windows 8.1 format: after the copy of the base block, entries
// at sector boundaries, each guarded by two Marvin32 hashes: one of its
// header, one of its page references and pages.
#include <cstring>

#include "hive_log_entries.h"
#include "little_endian.h"
#include "marvin32.h"

namespace winsim {
namespace {

const unsigned char SIGNATURE[] = {'H', 'v', 'L', 'E'};
const size_t SIZE_AT = 4;
const size_t SEQUENCE_AT = 12;
const size_t BINS_SIZE_AT = 16;
const size_t PAGE_COUNT_AT = 20;
const size_t CONTENT_HASH_AT = 24;
const size_t HEADER_HASH_AT = 32;
const size_t HEADER_SIZE = 40;
const size_t PAGE_REFERENCE_SIZE = 8;
// The hashes' key, as Windows writes the logs.
const uint64_t HASH_SEED = 0x82EF4D887A4E55C5;

bool Blank(const HiveBytes &log, size_t at, size_t count)
{
    for (size_t i = at; i < at + count; ++i)
        if (log[i] != 0)
            return false;
    return true;
}

// Where the problem lies, for the entry at a byte of the log.
std::string Fault(const std::string &name, size_t at, const std::string &problem)
{
    return name + ": the log entry at byte " + std::to_string(at) + " " + problem;
}

// The entry's page references once its hashes and sizes are right; a
// problem's text when they are not.
std::string ReadPages(const HiveBytes &log, size_t at, size_t size, LogEntry *entry)
{
    const unsigned char *bytes = log.data() + at;
    if (Marvin32(bytes + HEADER_SIZE, size - HEADER_SIZE, HASH_SEED) != ReadLe64(bytes + CONTENT_HASH_AT) ||
        Marvin32(bytes, HEADER_HASH_AT, HASH_SEED) != ReadLe64(bytes + HEADER_HASH_AT))
        return "does not match its hash: it was not completely written";
    if (entry->binsSize == 0 || entry->binsSize % BIN_BLOCK_SIZE != 0 || entry->binsSize > MAX_BINS_SIZE)
        return "gives a hive bins size of " + std::to_string(entry->binsSize) +
               " bytes, not a whole number of 4096-byte blocks below 2 GiB";
    uint32_t count = ReadLe32(bytes + PAGE_COUNT_AT);
    if (count > (size - HEADER_SIZE) / PAGE_REFERENCE_SIZE)
        return "lists " + std::to_string(count) + " pages, more than it has room for";
    size_t pageAt = HEADER_SIZE + PAGE_REFERENCE_SIZE * count;
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char *reference = bytes + HEADER_SIZE + PAGE_REFERENCE_SIZE * i;
        DirtyPage page = {ReadLe32(reference), ReadLe32(reference + 4), at + pageAt};
        if (page.size == 0 || page.size % LOG_SECTOR_SIZE != 0 || page.binsOffset % LOG_SECTOR_SIZE != 0 ||
            static_cast<uint64_t>(page.binsOffset) + page.size > entry->binsSize)
            return "has a page of " + std::to_string(page.size) + " bytes at offset " +
                   std::to_string(page.binsOffset) + " that does not lie within the " +
                   std::to_string(entry->binsSize) + " bytes of hive bins";
        if (page.size > size - pageAt)
            return "has pages that run past its end";
        pageAt += page.size;
        entry->pages.push_back(page);
    }
    return std::string();
}

}  // namespace

LogEntries ReadNewFormatEntries(const HiveBytes &log, const std::string &name)
{
    LogEntries read;
    for (size_t at = LOG_SECTOR_SIZE; at < log.size();) {
        size_t left = log.size() - at;
        if (Blank(log, at, left < sizeof SIGNATURE ? left : sizeof SIGNATURE))
            break;
        if (left < HEADER_SIZE) {
            read.stop = Fault(name, at, "is cut short by the end of the log");
            break;
        }
        const unsigned char *bytes = log.data() + at;
        if (std::memcmp(bytes, SIGNATURE, sizeof SIGNATURE) != 0) {
            read.stop = Fault(name, at, "has no HvLE signature");
            break;
        }
        size_t size = ReadLe32(bytes + SIZE_AT);
        if (size < HEADER_SIZE || size % LOG_SECTOR_SIZE != 0) {
            read.stop = Fault(name, at, "gives a size of " + std::to_string(size) + " bytes, not whole sectors");
            break;
        }
        if (size > left) {
            read.stop = Fault(name, at,
                              "runs past the end of the log: " + std::to_string(size) + " bytes where " +
                                  std::to_string(left) + " are left");
            break;
        }
        LogEntry entry = {ReadLe32(bytes + SEQUENCE_AT), ReadLe32(bytes + BINS_SIZE_AT), {}};
        std::string problem = ReadPages(log, at, size, &entry);
        if (problem.empty() && !read.entries.empty() && entry.sequence != read.entries.back().sequence + 1)
            problem = "has the sequence number " + std::to_string(entry.sequence) + " where " +
                      std::to_string(read.entries.back().sequence + 1) + " follows";
        if (!problem.empty()) {
            read.stop = Fault(name, at, problem);
            break;
        }
        read.entries.push_back(std::move(entry));
        at += size;
    }
    return read;
}

}  // namespace winsim
