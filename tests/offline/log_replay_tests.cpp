// Replaying the transaction logs of real dirty hives, whole and damaged, and
// of logs of the older format made from them: what hivex then reads.
#include <hivex.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "hive_fixture.h"
#include "hive_log_replay.h"
#include "hive_names.h"
#include "little_endian.h"
#include "log_writer.h"

namespace {

using winsim::HiveBytes;
using winsim::HivexArray;

// A key as an independent registry tool compares two hives: its time of last
// write, and its values as (name, data) pairs, where an element of a
// multi-string is a pair of its own and empty or zero data is no pair.
struct ComparedKey {
    int64_t written;
    std::set<std::pair<std::string, std::string>> values;
};

void AddValues(hive_h *hive, hive_node_h node, ComparedKey &key)
{
    HivexArray<hive_value_h> values(hivex_node_values(hive, node));
    for (hive_value_h *value = values.get(); value && *value; ++value) {
        hive_type type;
        size_t size;
        HivexArray<char> raw(hivex_value_value(hive, *value, &type, &size));
        std::string name = HivexArray<char>(hivex_value_key(hive, *value)).get(), data(raw.get(), size);
        if (type > 0xffff0000 || type == 0x200000)
            continue;  // device properties and a type of unknown layout: the tool skips them
        if (type == REG_MULTI_SZ) {
            std::u16string text(size / 2, u'\0');
            std::memcpy(&text[0], raw.get(), text.size() * 2);
            for (size_t at = 0, end; (end = text.find(u'\0', at)) != std::u16string::npos; at = end + 1)
                if (end > at)
                    key.values.insert({name, std::string(raw.get() + 2 * at, 2 * (end - at))});
            continue;
        }
        if (type == REG_DWORD || type == REG_QWORD)
            data.erase(std::find_if(data.rbegin(), data.rend(), [](char c) { return c != 0; }).base(), data.end());
        else if (type != REG_NONE && type != REG_BINARY && type != 8 && type != 10)  // text: trailing NULs go
            while (data.size() >= 2 && !data[data.size() - 1] && !data[data.size() - 2])
                data.resize(data.size() - 2);
        if (!data.empty())
            key.values.insert({name, std::to_string(type) + ":" + data});
    }
}

void AddKeys(hive_h *hive, hive_node_h node, const std::string &path, std::map<std::string, ComparedKey> &keys)
{
    ComparedKey &key = keys[path];
    key.written = hivex_node_timestamp(hive, node);
    AddValues(hive, node, key);
    HivexArray<hive_node_h> children(hivex_node_children(hive, node));
    ASSERT_TRUE(children) << path;
    for (hive_node_h *child = children.get(); *child; ++child)
        AddKeys(hive, *child, path + "\\" + HivexArray<char>(hivex_node_name(hive, *child)).get(), keys);
}

std::map<std::string, ComparedKey> ReadKeys(const std::string &file)
{
    std::map<std::string, ComparedKey> keys;
    winsim::HiveHandle hive(hivex_open(file.c_str(), 0));
    EXPECT_TRUE(hive) << file;
    if (hive)
        AddKeys(hive.get(), hivex_root(hive.get()), "", keys);
    return keys;
}

// The differences an independent registry tool finds from one hive to the
// other, as its test suite counts them for the real logs: the hive bins'
// sizes, keys in one hive and not the other, and in each key of both whose
// time of last write differs, the value pairs whose name is in one and not
// the other.
std::string IndependentDifferences(const std::string &before, const std::string &after)
{
    std::map<std::string, ComparedKey> one = ReadKeys(before), other = ReadKeys(after);
    size_t keys = 0, values = 0;
    for (const auto &key : one)
        keys += !other.count(key.first);
    for (const auto &key : other) {
        auto old = one.find(key.first);
        if (old == one.end()) {
            keys += 1;
            continue;
        }
        if (old->second.written == key.second.written)
            continue;
        std::set<std::string> oldNames, newNames;
        for (const auto &value : old->second.values)
            oldNames.insert(value.first);
        for (const auto &value : key.second.values)
            newNames.insert(value.first);
        for (const auto &value : old->second.values)
            values += !newNames.count(value.first);
        for (const auto &value : key.second.values)
            values += !oldNames.count(value.first);
    }
    bool binsDiffer = FileBytes(before).substr(40, 4) != FileBytes(after).substr(40, 4);
    return std::string(binsDiffer ? "bins size differs, " : "") + std::to_string(keys) + " keys, " +
           std::to_string(values) + " values";
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
            logs.push_back({name, ReadBytes(Unpack(name))});
        return logs;
    }
};

// The figures an independent tool's test suite asserts for these logs (see
// tests/data/windows-hives/README.md): of transactions_NTUSER.DAT's first
// log, every one; of UsrClass.dat's logs, the pages, once the hive claims
// the write they carry on from (its own header says Windows replays none).
TEST_F(LogReplayTest, RealLogsReplayAsAnIndependentToolCountsThem)
{
    const std::string ntuser = "transactions_NTUSER.DAT", log1 = "transactions_ntuser.dat.log1";
    std::string primary = Unpack(ntuser), replayed = folder + "/replayed";
    for (const auto &logs : {std::vector<std::string>{log1}, {log1, "transactions_ntuser.dat.log2"}}) {
        // The second log's one entry is older than the hive's last complete write.
        winsim::LogReplay replay = winsim::ReplayLogs(ReadBytes(primary), Logs(logs));
        EXPECT_EQ(23u, replay.entries);
        EXPECT_EQ(132u, replay.pages);
        EXPECT_TRUE(replay.stops.empty()) << replay.stops.front();
        ExpectSealed(replay.image, 588, 925696);
        WriteBytes(replayed, replay.image);
        EXPECT_EQ("bins size differs, 527 keys, 60 values", IndependentDifferences(primary, replayed));
    }

    const std::vector<std::string> classesLogs = {"UsrClass.dat.LOG1", "UsrClass.dat.LOG2"};
    winsim::LogReplay replay = winsim::ReplayLogs(ReadBytes(Unpack("UsrClass.dat")), Logs(classesLogs));
    EXPECT_TRUE(replay.image.empty());
    EXPECT_EQ((std::vector<std::string>{"UsrClass.dat.LOG1 does not carry on from the hive's last complete write, "
                                        "255: its first entry to replay has the sequence number 287, so no entry is "
                                        "replayed"}),
              replay.stops);
    replay = winsim::ReplayLogs(ReadBytes(UnpackDirtyClasses()), Logs(classesLogs));
    EXPECT_EQ(14u, replay.entries);
    EXPECT_EQ(158u, replay.pages);
    EXPECT_TRUE(replay.stops.empty()) << replay.stops.front();
    ExpectSealed(replay.image, 300, 2830336);
}

TEST_F(LogReplayTest, NothingIsReplayedForACleanHiveOrLogsWithNothingNewer)
{
    std::vector<winsim::LogFile> logs = Logs({"UsrClass.dat.LOG1", "UsrClass.dat.LOG2"});
    HiveBytes clean = ReadBytes(Unpack("NTUSER.DAT"));
    HiveBytes transactions = ReadBytes(Unpack("transactions_NTUSER.DAT"));
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

void SetField(HiveBytes &log, size_t at, uint32_t value)
{
    winsim::WriteLe32(&log[at], value);
    HashLogEntry(log, THIRD_ENTRY);
}

TEST_F(LogReplayTest, ADamagedLogIsReplayedUpToItsLastGoodEntryAndSaysWhere)
{
    HiveBytes primary = ReadBytes(Unpack("UsrClass.dat"));
    SetSequences(primary, 292, 291);  // the second log's first entry carries on from it
    const HiveBytes good = ReadBytes(Unpack("UsrClass.dat.LOG2"));
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
    HiveBytes primary = ReadBytes(UnpackDirtyClasses());
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

TEST_F(LogReplayTest, AnOlderFormatLogWrittenWithTheHiveReplaysItsDirtyPages)
{
    HiveBytes primary = ReadBytes(Unpack("transactions_NTUSER.DAT"));
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
