// Logs of the Windows 8.1 format are replayed from the entry numbered as the
// primary file's last complete write (its secondary sequence number) on:
// the log holding the lowest such number first, then the other one when its
// entries carry on the numbering. Logs whose entries start later than that
// write are missing changes in between, and Windows replays none of them. Of
// older-format logs, the first written at the same time as the primary file
// is replayed. A primary file whose base block has a wrong checksum takes the
// copy of it from the log Windows would replay (of the Windows 8.1 format,
// the one written last: the highest sequence number), and is replayed from
// that copy's sequence number on.
#include "hive_log_replay.h"

#include <algorithm>
#include <cstring>

#include "hive_log_entries.h"
#include "little_endian.h"

namespace winsim {
namespace {

// The first hive bin's copy of the base block's time of last write.
const size_t FIRST_BIN_WRITTEN_AT = BASE_BLOCK_SIZE + 20;

struct LogRun {
    const LogFile *log;
    std::vector<LogEntry> entries;
};

// The logs whose base block is that of a completely written log of the type.
std::vector<const LogFile *> LogsOfType(const std::vector<LogFile> &logs, HiveFileType type)
{
    std::vector<const LogFile *> found;
    for (const LogFile &log : logs) {
        BaseBlock header;
        if (ReadBaseBlock(log.bytes, &header) && header.fileType == type && !IsDirty(header))
            found.push_back(&log);
    }
    return found;
}

void NoteUnusableLogs(const std::vector<LogFile> &logs, LogReplay &replay)
{
    for (const LogFile &log : logs) {
        BaseBlock header;
        if (log.bytes.empty())
            continue;
        if (!ReadBaseBlock(log.bytes, &header))
            replay.stops.push_back(log.name + ": not a transaction log (no regf base block)");
        else if (IsDirty(header))
            replay.stops.push_back(log.name + ": its base block was not completely written");
        else if (header.fileType != NEW_FORMAT_LOG && header.fileType != OLD_FORMAT_LOG)
            replay.stops.push_back(log.name + ": not a transaction log (file type " + std::to_string(header.fileType) +
                                   ")");
    }
}

// A primary file whose base block is damaged takes the log's copy of it.
HiveBytes StartingImage(const HiveBytes &primary, const BaseBlock &base, const LogFile &log, LogReplay &replay)
{
    HiveBytes image = primary;
    if (!base.checksumRight) {
        std::copy(log.bytes.begin(), log.bytes.begin() + LOG_SECTOR_SIZE, image.begin());
        replay.baseBlockFrom = log.name;
    }
    return image;
}

// Of logs of the Windows 8.1 format, the one Windows wrote last: its copy of
// the base block has the highest sequence number.
const LogFile &LatestLog(const std::vector<const LogFile *> &logs)
{
    auto sequence = [](const LogFile *log) {
        BaseBlock header;
        ReadBaseBlock(log->bytes, &header);
        return header.primarySequence;
    };
    return **std::max_element(logs.begin(), logs.end(),
                              [&](const LogFile *a, const LogFile *b) { return sequence(a) < sequence(b); });
}

// An image whose base block came from a log is used even when no entry
// carries on from it, as Windows uses it.
void KeepRecoveredBaseBlock(HiveBytes &image, LogReplay &replay)
{
    if (replay.baseBlockFrom.empty())
        return;
    BaseBlock base;
    ReadBaseBlock(image, &base);
    SealBaseBlock(image, base.secondarySequence, base.binsSize);
    replay.image = std::move(image);
}

void Apply(const LogEntry &entry, const LogFile &log, HiveBytes &image, LogReplay &replay)
{
    if (image.size() < BASE_BLOCK_SIZE + entry.binsSize)
        image.resize(BASE_BLOCK_SIZE + entry.binsSize);
    for (const DirtyPage &page : entry.pages)
        std::memcpy(image.data() + BASE_BLOCK_SIZE + page.binsOffset, log.bytes.data() + page.logOffset, page.size);
    replay.entries += 1;
    replay.pages += entry.pages.size();
}

void ReplayNewFormat(const HiveBytes &primary, const BaseBlock &primaryBase, const std::vector<const LogFile *> &logs,
                     LogReplay &replay)
{
    HiveBytes image = StartingImage(primary, primaryBase, LatestLog(logs), replay);
    BaseBlock base;
    ReadBaseBlock(image, &base);
    std::vector<LogRun> runs;
    for (const LogFile *log : logs) {
        LogEntries read = ReadNewFormatEntries(log->bytes, log->name);
        if (!read.stop.empty())
            replay.stops.push_back(read.stop);
        auto newer = [&](const LogEntry &entry) { return entry.sequence >= base.secondarySequence; };
        LogRun run{log, {}};
        std::copy_if(read.entries.begin(), read.entries.end(), std::back_inserter(run.entries), newer);
        if (!run.entries.empty())
            runs.push_back(std::move(run));
    }
    if (runs.empty())
        return KeepRecoveredBaseBlock(image, replay);
    std::sort(runs.begin(), runs.end(),
              [](const LogRun &a, const LogRun &b) { return a.entries.front().sequence < b.entries.front().sequence; });
    const LogEntry &first = runs.front().entries.front();
    if (first.sequence != base.secondarySequence) {
        replay.stops.push_back(runs.front().log->name + " does not carry on from the hive's last complete write, " +
                               std::to_string(base.secondarySequence) +
                               ": its first entry to replay has the sequence number " + std::to_string(first.sequence) +
                               ", so no entry is replayed");
        return KeepRecoveredBaseBlock(image, replay);
    }
    const LogEntry *last = nullptr;
    const LogFile *lastLog = nullptr;
    for (const LogRun &run : runs) {
        for (const LogEntry &entry : run.entries) {
            if (last && entry.sequence <= last->sequence)
                continue;
            if (last && entry.sequence != last->sequence + 1) {
                replay.stops.push_back(run.log->name + " does not carry on from " + lastLog->name +
                                       ": its next entry has the sequence number " + std::to_string(entry.sequence) +
                                       " where " + std::to_string(last->sequence + 1) + " follows");
                break;
            }
            Apply(entry, *run.log, image, replay);
            last = &entry;
            lastLog = run.log;
        }
    }
    SealBaseBlock(image, last->sequence, last->binsSize);
    replay.image = std::move(image);
}

void ReplayOldFormat(const HiveBytes &primary, const BaseBlock &primaryBase, const std::vector<const LogFile *> &logs,
                     LogReplay &replay)
{
    uint64_t written = primaryBase.checksumRight || primary.size() < FIRST_BIN_WRITTEN_AT + 8
                           ? primaryBase.lastWritten
                           : ReadLe64(primary.data() + FIRST_BIN_WRITTEN_AT);
    for (const LogFile *log : logs) {
        BaseBlock header;
        ReadBaseBlock(log->bytes, &header);
        if (header.lastWritten != written) {
            replay.stops.push_back(log->name + ": written at another time than the hive, so not replayed");
            continue;
        }
        LogEntries read = ReadOldFormatEntry(log->bytes, header, log->name);
        if (read.entries.empty())
            replay.stops.push_back(read.stop);
        // A damaged base block is taken from the log even when its pages are not.
        if (read.entries.empty() && primaryBase.checksumRight)
            continue;
        HiveBytes image = StartingImage(primary, primaryBase, *log, replay);
        if (!read.entries.empty())
            Apply(read.entries.front(), *log, image, replay);
        SealBaseBlock(image, header.primarySequence, header.binsSize);
        replay.image = std::move(image);
        return;
    }
}

}  // namespace

LogReplay ReplayLogs(const HiveBytes &primary, const std::vector<LogFile> &logs)
{
    LogReplay replay;
    BaseBlock base;
    if (primary.size() < BASE_BLOCK_SIZE || !ReadBaseBlock(primary, &base) || !IsDirty(base))
        return replay;
    NoteUnusableLogs(logs, replay);
    std::vector<const LogFile *> newFormat = LogsOfType(logs, NEW_FORMAT_LOG);
    if (!newFormat.empty())
        ReplayNewFormat(primary, base, newFormat, replay);
    else
        ReplayOldFormat(primary, base, LogsOfType(logs, OLD_FORMAT_LOG), replay);
    return replay;
}

}  // namespace winsim
