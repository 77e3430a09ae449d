// Before a hive is mounted: its logs, when it is dirty, replayed into a copy.
// Only a dirty hive is read whole here; hivex reports any other fault.
#include <cerrno>
#include <cstdint>

#include "hive_files.h"
#include "hive_log_replay.h"
#include "replayed_copy.h"

namespace winsim {

bool ReplayIntoCopy(const std::string &hive, MountedHive *mounted, std::wstring *reason)
{
    std::vector<std::string> names = LogFilesBeside(hive);
    if (names.empty())
        return true;
    HiveBytes primary;
    BaseBlock base;
    if (!ReadHostFile(hive, BASE_BLOCK_SIZE, &primary) || !ReadBaseBlock(primary, &base) || !IsDirty(base))
        return true;
    if (!ReadHostFile(hive, SIZE_MAX, &primary)) {
        *reason = L"cannot open the hive " + WideText(hive) + L": " + ErrorText(errno);
        return false;
    }
    std::vector<LogFile> logs(names.size());
    std::wstring shown;
    for (size_t i = 0; i < names.size(); ++i) {
        logs[i].name = names[i];
        if (!ReadHostFile(names[i], SIZE_MAX, &logs[i].bytes)) {
            *reason = L"cannot read the log " + WideText(names[i]) + L" of the hive " + WideText(hive) + L": " +
                      ErrorText(errno);
            return false;
        }
        shown += (i == 0 ? L"" : i + 1 == names.size() ? L" and " : L", ") + WideText(names[i]);
    }
    LogReplay replay = ReplayLogs(primary, logs);
    for (const std::string &stop : replay.stops)
        mounted->logFaults.push_back(WideText(stop) + L" (" + WideText(hive) + L" is read with what came before)");
    if (replay.image.empty())
        return true;
    mounted->replayed = ReplayedCopy::Write(replay.image, reason);
    if (!mounted->replayed)
        return false;
    mounted->replayNote = L"Replayed " + std::to_wstring(replay.entries) +
                          (replay.entries == 1 ? L" log entry (" : L" log entries (") + std::to_wstring(replay.pages) +
                          L" pages) from " + shown + L" into a copy of " + WideText(hive);
    return true;
}

}  // namespace winsim
