// Replaying the transaction logs of real dirty hives, whole and damaged, and
// of logs of the older format made from them: what hivex then reads.
#include <hivex.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "hive_fixture.h"
#include "hive_log_replay.h"
#include "hive_names.h"
#include "little_endian.h"
#include "marvin32.h"

namespace {

using winsim::HiveBytes;
using winsim::HivexArray;

// A hive's keys as "path" and its values as "path", NUL, "name", as hivex
// reads them (hivex's names have no NUL).
void AddKey(hive_h *hive, hive_node_h node, const std::string &path, std::set<std::string> &tree)
{
    tree.insert(path);
    HivexArray<hive_value_h> values(hivex_node_values(hive, node));
    HivexArray<hive_node_h> children(hivex_node_children(hive, node));
    ASSERT_TRUE(values && children) << path;
    for (hive_value_h *value = values.get(); *value; ++value)
        tree.insert(path + '\0' + HivexArray<char>(hivex_value_key(hive, *value)).get());
    for (hive_node_h *child = children.get(); *child; ++child)
        AddKey(hive, *child, path + "\\" + HivexArray<char>(hivex_node_name(hive, *child)).get(), tree);
}

std::set<std::string> ReadTree(const std::string &file)
{
    std::set<std::string> tree;
    winsim::HiveHandle hive(hivex_open(file.c_str(), 0));
    EXPECT_TRUE(hive) << file;
    if (hive)
        AddKey(hive.get(), hivex_root(hive.get()), "", tree);
    return tree;
}

// "keys +new -gone, values +new -gone" from one tree to the other.
std::string Changes(const std::set<std::string> &before, const std::set<std::string> &after)
{
    size_t counts[2][2] = {};
    for (const std::string &key : after)
        counts[key.find('\0') != std::string::npos][0] += !before.count(key);
    for (const std::string &key : before)
        counts[key.find('\0') != std::string::npos][1] += !after.count(key);
    return "keys +" + std::to_string(counts[0][0]) + " -" + std::to_string(counts[0][1]) + ", values +" +
           std::to_string(counts[1][0]) + " -" + std::to_string(counts[1][1]);
}

HiveBytes Bytes(const std::string &file)
{
    std::string bytes = FileBytes(file);
    return HiveBytes(bytes.begin(), bytes.end());
}

void WriteBytes(const std::string &file, const HiveBytes &bytes)
{
    FILE *out = std::fopen(file.c_str(), "wb");
    ASSERT_TRUE(out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size()) << file;
    std::fclose(out);
}

// The replayed image's header is that of a hive completely written.
void ExpectSealed(const HiveBytes &image, uint32_t sequence, uint32_t binsSize)
{
    winsim::BaseBlock base;
    ASSERT_TRUE(winsim::ReadBaseBlock(image, &base));
    EXPECT_EQ(sequence, base.primarySequence);
    EXPECT_EQ(sequence, base.secondarySequence);
    EXPECT_EQ(binsSize, base.binsSize);
    EXPECT_EQ(winsim::PRIMARY_FILE, base.fileType);
    EXPECT_TRUE(base.checksumRight);
}

class LogReplayTest : public HiveTest {
  protected:
    std::vector<winsim::LogFile> Logs(const std::vector<std::string> &names)
    {
        std::vector<winsim::LogFile> logs;
        for (const std::string &name : names)
            logs.push_back({name, Bytes(Unpack(name))});
        return logs;
    }
};

// The pages are the figures of an independent replay of these logs (see
// tests/data/windows-hives/README.md); keys and values are hivex's count.
TEST_F(LogReplayTest, RealLogsReplayIntoAHiveThatHivexReadsWithTheLoggedKeysAndValues)
{
    const std::string usr = "UsrClass.dat", ntuser = "transactions_NTUSER.DAT", log1 = "transactions_ntuser.dat.log1";
    struct Case {
        std::string hive;
        std::vector<std::string> logs;
        size_t entries, pages;
        uint32_t sequence, binsSize;
        std::string changes;
    } cases[] = {
        {usr, {usr + ".LOG1", usr + ".LOG2"}, 14, 158, 300, 2830336, "keys +33 -0, values +162 -0"},
        {ntuser, {log1}, 23, 132, 588, 925696, "keys +521 -6, values +595 -19"},
        // The second log's one entry is older than the hive's last complete write.
        {ntuser, {log1, "transactions_ntuser.dat.log2"}, 23, 132, 588, 925696, "keys +521 -6, values +595 -19"},
    };
    for (const Case &c : cases) {
        std::string primary = Unpack(c.hive);
        winsim::LogReplay replay = winsim::ReplayLogs(Bytes(primary), Logs(c.logs));
        EXPECT_EQ(c.entries, replay.entries) << c.hive;
        EXPECT_EQ(c.pages, replay.pages) << c.hive;
        EXPECT_TRUE(replay.stops.empty()) << replay.stops.front();
        ExpectSealed(replay.image, c.sequence, c.binsSize);
        std::string replayed = folder + "/replayed";
        WriteBytes(replayed, replay.image);
        EXPECT_EQ(c.changes, Changes(ReadTree(primary), ReadTree(replayed))) << c.hive;
    }
}

TEST_F(LogReplayTest, NothingIsReplayedForACleanHiveOrLogsWithNothingNewer)
{
    std::vector<winsim::LogFile> logs = Logs({"UsrClass.dat.LOG1", "UsrClass.dat.LOG2"});
    HiveBytes clean = Bytes(Unpack("NTUSER.DAT"));
    HiveBytes transactions = Bytes(Unpack("transactions_NTUSER.DAT"));
    std::vector<std::pair<HiveBytes, std::vector<winsim::LogFile>>> cases = {
        {clean, logs},
        {transactions, Logs({"transactions_ntuser.dat.log2"})},
        {transactions, {{"empty.LOG1", {}}}},
    };
    for (const auto &c : cases) {
        winsim::LogReplay replay = winsim::ReplayLogs(c.first, c.second);
        EXPECT_TRUE(replay.image.empty());
        EXPECT_EQ(0u, replay.entries);
        EXPECT_TRUE(replay.stops.empty()) << replay.stops.front();
    }
}

// UsrClass.dat.LOG2's entries 291 to 300: the third starts at this byte.
const size_t THIRD_ENTRY = 151552;
const size_t PAGES_OF_TWO_ENTRIES = 3 + 24;

void Rehash(HiveBytes &log, size_t at)
{
    const uint64_t seed = 0x82EF4D887A4E55C5;
    uint32_t size = winsim::ReadLe32(&log[at + 4]);
    uint64_t content = winsim::Marvin32(&log[at + 40], size - 40, seed);
    winsim::WriteLe32(&log[at + 24], static_cast<uint32_t>(content));
    winsim::WriteLe32(&log[at + 28], static_cast<uint32_t>(content >> 32));
    uint64_t header = winsim::Marvin32(&log[at], 32, seed);
    winsim::WriteLe32(&log[at + 32], static_cast<uint32_t>(header));
    winsim::WriteLe32(&log[at + 36], static_cast<uint32_t>(header >> 32));
}

void SetField(HiveBytes &log, size_t at, uint32_t value)
{
    winsim::WriteLe32(&log[at], value);
    Rehash(log, THIRD_ENTRY);
}

TEST_F(LogReplayTest, ADamagedLogIsReplayedUpToItsLastGoodEntryAndSaysWhere)
{
    HiveBytes primary = Bytes(Unpack("UsrClass.dat"));
    const HiveBytes good = Bytes(Unpack("UsrClass.dat.LOG2"));
    struct Damage {
        const char *what;
        std::function<void(HiveBytes &)> make;
        const char *says;
    } damages[] = {
        {"truncated", [](HiveBytes &log) { log.resize(THIRD_ENTRY + 1000); }, "runs past the end of the log"},
        {"cut in its header", [](HiveBytes &log) { log.resize(THIRD_ENTRY + 20); }, "is cut short"},
        {"bad signature", [](HiveBytes &log) { log[THIRD_ENTRY] = 'X'; }, "has no HvLE signature"},
        {"page changed", [](HiveBytes &log) { log[THIRD_ENTRY + 5000] ^= 1; }, "does not match its hash"},
        {"header changed", [](HiveBytes &log) { log[THIRD_ENTRY + 8] ^= 1; }, "does not match its hash"},
        {"sequence out of order", [](HiveBytes &log) { SetField(log, THIRD_ENTRY + 12, 999); },
         "sequence number 999 where 293 follows"},
        {"page past the hive", [](HiveBytes &log) { SetField(log, THIRD_ENTRY + 40, 2830336); },
         "does not lie within the 2830336 bytes of hive bins"},
        {"page past the entry", [](HiveBytes &log) { SetField(log, THIRD_ENTRY + 44, 1 << 20); },
         "has pages that run past its end"},
        {"size in bytes", [](HiveBytes &log) { SetField(log, THIRD_ENTRY + 4, 1000); }, "not whole sectors"},
        {"page count", [](HiveBytes &log) { SetField(log, THIRD_ENTRY + 20, 1 << 28); }, "more than it has room for"},
        {"bins size", [](HiveBytes &log) { SetField(log, THIRD_ENTRY + 16, 12345); }, "not a whole number"},
    };
    for (const Damage &damage : damages) {
        HiveBytes log = good;
        damage.make(log);
        winsim::LogReplay replay = winsim::ReplayLogs(primary, {{"UsrClass.dat.LOG2", log}});
        EXPECT_EQ(2u, replay.entries) << damage.what;
        EXPECT_EQ(PAGES_OF_TWO_ENTRIES, replay.pages) << damage.what;
        ExpectSealed(replay.image, 292, 2830336);
        ASSERT_EQ(1u, replay.stops.size()) << damage.what;
        EXPECT_NE(std::string::npos, replay.stops[0].find("UsrClass.dat.LOG2: the log entry at byte 151552"))
            << replay.stops[0];
        EXPECT_NE(std::string::npos, replay.stops[0].find(damage.says)) << damage.what << ": " << replay.stops[0];
    }
}

TEST_F(LogReplayTest, ALogThatDoesNotCarryOnFromTheOtherOrIsNoLogEndsTheReplay)
{
    HiveBytes primary = Bytes(Unpack("UsrClass.dat"));
    std::vector<winsim::LogFile> logs = Logs({"UsrClass.dat.LOG1", "UsrClass.dat.LOG2"});
    logs[0].bytes[32768 + 100] ^= 1;  // the third entry of the first log, 289
    winsim::LogReplay replay = winsim::ReplayLogs(primary, logs);
    EXPECT_EQ(2u, replay.entries);
    ExpectSealed(replay.image, 288, 2830336);
    ASSERT_EQ(2u, replay.stops.size());
    EXPECT_NE(std::string::npos, replay.stops[0].find("UsrClass.dat.LOG1: the log entry at byte 32768"));
    EXPECT_NE(std::string::npos,
              replay.stops[1].find("UsrClass.dat.LOG2 does not carry on from UsrClass.dat.LOG1: its next entry has "
                                   "the sequence number 291 where 289 follows"))
        << replay.stops[1];

    logs = Logs({"UsrClass.dat.LOG1", "UsrClass.dat.LOG2"});
    logs[1].bytes[100] ^= 1;
    logs[0].bytes.assign(600, 'x');
    replay = winsim::ReplayLogs(primary, logs);
    EXPECT_EQ(0u, replay.entries);
    EXPECT_TRUE(replay.image.empty());
    EXPECT_EQ((std::vector<std::string>{"UsrClass.dat.LOG1: not a transaction log (no regf base block)",
                                        "UsrClass.dat.LOG2: its base block was not completely written"}),
              replay.stops);
}

// A log of the older format that holds the 512-byte pages in which the
// replayed image differs from the primary file, its header the image's.
HiveBytes OldFormatLog(const HiveBytes &primary, const HiveBytes &image)
{
    const size_t binsSize = image.size() - 4096;
    HiveBytes log(image.begin(), image.begin() + 512);
    winsim::WriteLe32(&log[28], 1);
    std::copy(primary.begin() + 12, primary.begin() + 20, log.begin() + 12);
    uint32_t sum = 0;
    for (size_t at = 0; at < 508; at += 4)
        sum ^= winsim::ReadLe32(&log[at]);
    winsim::WriteLe32(&log[508], sum);
    const char dirt[] = "DIRT";
    log.insert(log.end(), dirt, dirt + 4);
    log.resize(log.size() + binsSize / 4096);
    log.resize((log.size() + 511) / 512 * 512);
    for (size_t page = 0; page < binsSize / 512; ++page) {
        auto at = image.begin() + 4096 + page * 512;
        if (4096 + page * 512 < primary.size() && std::equal(at, at + 512, primary.begin() + 4096 + page * 512))
            continue;
        log[516 + page / 8] |= static_cast<unsigned char>(1 << page % 8);
        log.insert(log.end(), at, at + 512);
    }
    return log;
}

TEST_F(LogReplayTest, AnOlderFormatLogWrittenWithTheHiveReplaysItsDirtyPages)
{
    HiveBytes primary = Bytes(Unpack("transactions_NTUSER.DAT"));
    winsim::LogReplay replay = winsim::ReplayLogs(primary, Logs({"transactions_ntuser.dat.log1"}));
    HiveBytes log = OldFormatLog(primary, replay.image);

    winsim::LogReplay old = winsim::ReplayLogs(primary, {{"NTUSER.DAT.LOG", log}});
    EXPECT_TRUE(old.stops.empty()) << old.stops.front();
    EXPECT_EQ(1u, old.entries);
    EXPECT_TRUE(replay.image == old.image);

    HiveBytes otherTime = log, truncated = log, noVector = log, binElsewhere = log;
    const size_t firstPage = 1024;  // after the sector of the dirty vector
    ASSERT_EQ("hbin", std::string(&log[firstPage], &log[firstPage] + 4));
    binElsewhere[firstPage + 4] = 1;
    otherTime[12] ^= 1;
    otherTime[508] ^= 1;
    truncated.resize(truncated.size() - 512);
    noVector[512] = 'X';
    struct Fault {
        HiveBytes log;
        const char *says;
    } faults[] = {{otherTime, "LOG: written at another time than the hive"},
                  {truncated, "LOG: its dirty page"},
                  {noVector, "LOG: no DIRT dirty vector"},
                  {binElsewhere, "LOG: its dirty page for offset 0 of the hive bins holds a hive bin that belongs"}};
    for (const Fault &fault : faults) {
        old = winsim::ReplayLogs(primary, {{"NTUSER.DAT.LOG", fault.log}});
        EXPECT_TRUE(old.image.empty()) << fault.says;
        ASSERT_EQ(1u, old.stops.size()) << fault.says;
        EXPECT_NE(std::string::npos, old.stops[0].find(fault.says)) << old.stops[0];
    }
}

}  // namespace
