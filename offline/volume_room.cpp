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

#include "offline_program.h"
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
    struct statvfs volume;
    if (statvfs(root.c_str(), &volume) != 0) {
        *reason = L"cannot tell how much room " + winsim::DecodeUtf8(root.c_str()) + L" has: " +
                  winsim::DecodeUtf8(std::strerror(errno));
        return false;
    }
    // Each hive's backup, and its new file beside it until it replaces the
    // old one (a replayed hive is written whole, as large as its copy).
    unsigned long long needed = RECORD_ROOM;
    for (const winsim::MountedHive &mounted : mounts)
        needed += BackupSize(mounted.file) + std::max(SizeOf(mounted.file), winsim::MountedSize(mounted));
    unsigned long long free = static_cast<unsigned long long>(volume.f_bavail) * volume.f_frsize;
    if (free >= needed)
        return true;
    *reason = winsim::DecodeUtf8(root.c_str()) + L" has " + Megabytes(free) + L" free, and a removal needs up to " +
              Megabytes(needed) + L": the backups of the hives and their logs, the new hives beside them, and the " +
              L"run's record. Nothing was changed. Make room on the volume (Windows\\Temp, the recycle bin, " +
              L"old backups <hive>.vxclean-...) and run again.";
    return false;
}

}  // namespace offline
