// Replaying a transaction log of any bytes over a small dirty hive: nothing
// past the log's end is read, and a replay that applied anything or took the
// log's copy of the base block leaves the header of a completely written
// hive. The first input byte chooses whether the log's entries get their
// hashes made right before the replay, so that the fuzzing reaches past them,
// and whether the hive's own base block is damaged: the copy is then taken
// whenever the replay gives an image, and never otherwise.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "hive_log_replay.h"
#include "little_endian.h"
#include "marvin32.h"

namespace {

const uint8_t REHASH_ENTRIES = 1;
const uint8_t DAMAGED_HIVE_HEADER = 2;
// Entries rehashed here keep their bins below this size, to keep memory small.
const uint32_t MAX_FUZZED_BINS = 1 << 20;
const uint64_t HASH_SEED = 0x82EF4D887A4E55C5;

void RehashEntries(winsim::HiveBytes &log)
{
    for (size_t at = winsim::LOG_SECTOR_SIZE;
         at <= log.size() && log.size() - at >= 40 && std::memcmp(&log[at], "HvLE", 4) == 0;) {
        uint32_t size = winsim::ReadLe32(&log[at + 4]);
        if (size < 40 || size > log.size() - at)
            return;
        winsim::WriteLe32(&log[at + 16], winsim::ReadLe32(&log[at + 16]) % MAX_FUZZED_BINS);
        uint64_t content = winsim::Marvin32(&log[at + 40], size - 40, HASH_SEED);
        std::memcpy(&log[at + 24], &content, 8);
        uint64_t header = winsim::Marvin32(&log[at], 32, HASH_SEED);
        std::memcpy(&log[at + 32], &header, 8);
        at += size;
    }
}

// A hive of one empty bin, dirty, written at the log's time.
winsim::HiveBytes DirtyHive(const winsim::HiveBytes &log, bool damaged)
{
    winsim::HiveBytes hive(2 * winsim::BASE_BLOCK_SIZE);
    std::memcpy(hive.data(), "regf", 4);
    winsim::WriteLe32(&hive[4], 1);
    if (log.size() >= 20)
        std::memcpy(&hive[12], &log[12], 8);
    winsim::WriteLe32(&hive[40], winsim::BIN_BLOCK_SIZE);
    uint32_t sum = 0;
    for (size_t at = 0; at < 508; at += 4)
        sum ^= winsim::ReadLe32(&hive[at]);
    winsim::WriteLe32(&hive[508], damaged ? ~sum : sum);
    return hive;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    winsim::HiveBytes log(data + 1, data + size);
    if (data[0] & REHASH_ENTRIES)
        RehashEntries(log);
    bool damaged = data[0] & DAMAGED_HIVE_HEADER;
    winsim::HiveBytes hive = DirtyHive(log, damaged);
    // Exactly as long as the log, so that the sanitizer sees any read past it.
    winsim::HiveBytes exact(log.begin(), log.end());
    winsim::LogReplay replay = winsim::ReplayLogs(hive, {{"fuzzed.LOG1", exact}});
    bool copyTaken = !replay.baseBlockFrom.empty();
    if (replay.image.empty() != (replay.entries == 0 && !copyTaken) || copyTaken != (damaged && !replay.image.empty()))
        abort();
    winsim::BaseBlock base;
    // A base block taken with no entry after it may give more bins than the
    // hive has; hivex then finds the hive cut short.
    if (!replay.image.empty() &&
        (!winsim::ReadBaseBlock(replay.image, &base) || winsim::IsDirty(base) ||
         base.fileType != winsim::PRIMARY_FILE ||
         (replay.entries > 0 && replay.image.size() < winsim::BASE_BLOCK_SIZE + base.binsSize)))
        abort();
    return 0;
}
