// The mounted hives written back while the install command runs, whenever it
// writes its registry: only those that changed, each backed up before its
// first write.
#include <algorithm>
#include <filesystem>
#include <set>

#include "driver/process_state.h"
#include "offline_program.h"
#include "report/console_text.h"
#include "report/tally.h"
#include "winsim/utf8.h"

namespace offline {
namespace {

std::vector<winsim::MountedHive> *Mounts = nullptr;
// A hive that could not be written is reported once and not tried again in
// the same run: it stays as it was, the run's failure already said.
std::set<std::string> Unwritten;

// Through the product's console and counted, so that the run's log, its
// summary and its exit status say it too.
DWORD WriteHives()
{
    DWORD failed = 0;
    for (winsim::MountedHive &mounted : *Mounts) {
        if (Unwritten.count(mounted.file)) {
            failed = 1;
            continue;
        }
        bool written = false;
        std::wstring reason;
        std::wstring file = winsim::DecodeUtf8(mounted.file.c_str());
        if (winsim::SaveHive(mounted, &written, &reason)) {
            if (written)
                PrintOut(L"Written: %ls\n", file.c_str());
            continue;
        }
        PrintErr(L"%hs: the hive %ls could not be written: %ls. It stays as it was. Run vxclean-offline again once "
                 L"the cause is fixed: it removes what is left.\n",
                 PROGRAM, file.c_str(), reason.c_str());
        Tally(TALLY_FAILURES);
        Unwritten.insert(mounted.file);
        failed = 1;
    }
    return failed;
}

}  // namespace

void WriteHivesDuringRun(std::vector<winsim::MountedHive> *mounts)
{
    Mounts = mounts;
    WriteRegistry = WriteHives;
}

namespace {

// The backup files a hive's first write made: the hive's and its logs', all
// with the same suffix.
std::vector<std::string> BackupsOf(const winsim::MountedHive &mounted)
{
    std::vector<std::string> backups;
    std::filesystem::path hive(mounted.file);
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(hive.parent_path(), error)) {
        std::string name = entry.path().filename().string();
        std::string base = hive.filename().string();
        // The hive's own comes first.
        if (name.size() > base.size() + mounted.backup.size() && name.compare(0, base.size(), base) == 0 &&
            name.compare(name.size() - mounted.backup.size(), std::string::npos, mounted.backup) == 0)
            backups.push_back(entry.path().string());
    }
    backups.insert(backups.begin(), mounted.file + mounted.backup);
    std::sort(backups.begin() + 1, backups.end());
    return backups;
}

}  // namespace

void PrintHivesWritten(const std::vector<winsim::MountedHive> &mounts)
{
    bool any = false;
    for (const winsim::MountedHive &mounted : mounts) {
        if (mounted.backup.empty())
            continue;
        if (!any)
            std::printf("Backups of the hives as they were before this run (copy them back over the hives and "
                        "their logs to undo it):\n");
        any = true;
        for (const std::string &backup : BackupsOf(mounted))
            std::printf("  %s\n", backup.c_str());
    }
}

}  // namespace offline
