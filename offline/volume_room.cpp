// Before a removal changes anything: room on the volume for everything it
// writes, so that a full disk is refused with nothing changed rather than
// leaving hives unwritten after the files went.
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>

#include "offline_program.h"
#include "winsim/control.h"
#include "winsim/utf8.h"

namespace offline {
namespace {

// The run's record: its log and undo file hold what the run printed and
// removed, which stays far below this on any machine the products were on.
const unsigned long long RECORD_ROOM = 64ull << 20;

unsigned long long SizeOf(const std::string &file)
{
    struct stat status;
    return stat(file.c_str(), &status) == 0 ? static_cast<unsigned long long>(status.st_size) : 0;
}

std::wstring Megabytes(unsigned long long bytes)
{
    return std::to_wstring((bytes + (1 << 20) - 1) >> 20) + L" MB";
}

// The files a hive's first write copies: the hive and its logs.
unsigned long long BackupSize(const std::string &hive)
{
    unsigned long long size = SizeOf(hive);
    std::filesystem::path path(hive);
    std::error_code error;
    std::string base = path.filename().string();
    for (const auto &entry : std::filesystem::directory_iterator(path.parent_path(), error)) {
        std::string name = entry.path().filename().string();
        if (name.size() > base.size() && strncasecmp(name.c_str(), base.c_str(), base.size()) == 0 &&
            strncasecmp(name.c_str() + base.size(), ".LOG", 4) == 0)
            size += SizeOf(entry.path().string());
    }
    return size;
}

}  // namespace

bool VolumeHasRoom(const std::string &root, const std::vector<winsim::MountedHive> &mounts, std::wstring *reason)
{
    // What each file system must hold, by the folder that is on it: the
    // record in Windows\Temp, and beside each hive its backup and its new
    // file until it replaces the old one (a replayed hive is written whole, as
    // large as its copy). A profile may be a file system of its own.
    std::map<dev_t, std::pair<std::string, unsigned long long>> needs;
    auto need = [&](const std::string &folder, unsigned long long bytes) {
        struct stat status;
        if (stat(folder.c_str(), &status) != 0)
            return;
        auto &entry = needs[status.st_dev];
        if (entry.first.empty())
            entry.first = folder;
        entry.second += bytes;
    };
    std::string temporary = winsim::HostPathOf(L"C:\\Windows\\Temp");
    struct stat status;
    need(!temporary.empty() && stat(temporary.c_str(), &status) == 0 ? temporary : root, RECORD_ROOM);
    for (const winsim::MountedHive &mounted : mounts)
        need(std::filesystem::path(mounted.file).parent_path().string(),
             BackupSize(mounted.file) + std::max(SizeOf(mounted.file), winsim::MountedSize(mounted)));
    for (const auto &entry : needs) {
        const std::string &folder = entry.second.first;
        struct statvfs volume;
        if (statvfs(folder.c_str(), &volume) != 0) {
            *reason = L"cannot tell how much room " + winsim::DecodeUtf8(folder.c_str()) + L" has: " +
                      winsim::DecodeUtf8(std::strerror(errno));
            return false;
        }
        unsigned long long free = static_cast<unsigned long long>(volume.f_bavail) * volume.f_frsize;
        if (free >= entry.second.second)
            continue;
        *reason = L"the file system of " + winsim::DecodeUtf8(folder.c_str()) + L" has " + Megabytes(free) +
                  L" free, and a removal needs up to " + Megabytes(entry.second.second) +
                  L" there: the backups of the hives and their logs, the new hives beside them, and the run's " +
                  L"record. Nothing was changed. Make room on it (Windows\\Temp, the recycle bin; keep the " +
                  L"hives' .vxclean-... backups until Windows starts again: one may be the only copy of a hive " +
                  L"from before a run) and run again.";
        return false;
    }
    return true;
}

}  // namespace offline
