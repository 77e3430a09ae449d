// Before a hive is mounted: its logs, when it is dirty, replayed into a copy.
// Only a dirty hive is read whole here; hivex reports any other fault.
#include <cerrno>
#include <cstdint>

#include "hive_files.h"
#include "hive_log_replay.h"
#include "replayed_copy.h"

namespace winsim {
namespace {

// The logs' names as a list in words: "a", "a and b", "a, b and c".
std::wstring ListOf(const std::vector<LogFile> &logs)
{
    std::wstring shown;
    for (size_t i = 0; i < logs.size(); ++i)
        shown += (i == 0 ? L"" : i + 1 == logs.size() ? L" and " : L", ") + WideText(logs[i].name);
    return shown;
}

std::wstring InParentheses(const std::vector<std::string> &notes)
{
    std::wstring text;
    for (const std::string &note : notes)
        text += (text.empty() ? L" (" : L"; ") + WideText(note);
    return text.empty() ? text : text + L")";
}

}  // namespace

bool ReplayIntoCopy(const std::string &hive, MountedHive *mounted, std::wstring *reason)
{
    HiveBytes primary;
    BaseBlock base;
    if (!ReadHostFile(hive, BASE_BLOCK_SIZE, &primary) || primary.size() < BASE_BLOCK_SIZE ||
        !ReadBaseBlock(primary, &base) || !IsDirty(base))
        return true;
    if (!ReadHostFile(hive, SIZE_MAX, &primary)) {
        *reason = L"cannot open the hive " + WideText(hive) + L": " + ErrorText(errno);
        return false;
    }
    std::vector<std::string> names = LogFilesBeside(hive);
    std::vector<LogFile> logs(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        logs[i].name = names[i];
        if (!ReadHostFile(names[i], SIZE_MAX, &logs[i].bytes)) {
            *reason = L"cannot read the log " + WideText(names[i]) + L" of the hive " + WideText(hive) + L": " +
                      ErrorText(errno);
            return false;
        }
    }
    LogReplay replay = ReplayLogs(primary, logs);
    if (!base.checksumRight && replay.baseBlockFrom.empty()) {
        *reason = L"cannot open the hive " + WideText(hive) +
                  L": its first block is damaged (Windows was interrupted writing it) and no transaction log beside "
                  L"it holds a good copy of that block" +
                  InParentheses(replay.stops);
        return false;
    }
    for (const std::string &stop : replay.stops)
        mounted->logFaults.push_back(WideText(stop) + L" (" + WideText(hive) + L" is read with what came before)");
    if (replay.image.empty()) {
        mounted->logFaults.push_back(L"Windows did not finish writing the hive " + WideText(hive) +
                                     L" and no transaction log beside it holds the rest: it is read as it stands, "
                                     L"and its last changes may be missing");
        return true;
    }
    mounted->replayed = ReplayedCopy::Write(replay.image, reason);
    if (!mounted->replayed)
        return false;
    mounted->replayNote = L"Replayed " + std::to_wstring(replay.entries) +
                          (replay.entries == 1 ? L" log entry (" : L" log entries (") + std::to_wstring(replay.pages) +
                          L" pages) from " + ListOf(logs) + L" into a copy of " + WideText(hive);
    if (!replay.baseBlockFrom.empty())
        mounted->replayNote += L", its first block taken from " + WideText(replay.baseBlockFrom) +
                               L" since the hive's own is damaged (Windows was interrupted writing it)";
    return true;
}

}  // namespace winsim
