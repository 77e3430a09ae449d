#include "replayed_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "hive_names.h"

namespace winsim {

std::shared_ptr<ReplayedCopy> ReplayedCopy::Write(const HiveBytes &image, std::wstring *reason)
{
    const char *folder = std::getenv("TMPDIR");
    std::string path = std::string(folder && *folder ? folder : "/tmp") + "/vxclean-replayed-XXXXXX";
    int fd = mkstemp(&path[0]);
    if (fd < 0) {
        *reason =
            L"cannot create a temporary file for the replayed hive in " + WideText(path) + L": " + ErrorText(errno);
        return nullptr;
    }
    std::shared_ptr<ReplayedCopy> copy(new ReplayedCopy(path));
    bool written = true;
    for (size_t done = 0; written && done < image.size();) {
        ssize_t put = write(fd, image.data() + done, image.size() - done);
        written = put > 0;
        done += written ? static_cast<size_t>(put) : 0;
    }
    int error = errno;
    if (close(fd) == 0 && written)
        return copy;
    *reason = L"cannot write the replayed hive to " + WideText(path) + L": " + ErrorText(written ? errno : error);
    return nullptr;
}

ReplayedCopy::ReplayedCopy(const std::string &path) : path(path)
{
}

ReplayedCopy::~ReplayedCopy()
{
    Retire();
}

const std::string &ReplayedCopy::SourceOf(const MountedHive &mounted) const
{
    return path.empty() ? mounted.file : path;
}

void ReplayedCopy::Retire()
{
    if (!path.empty())
        unlink(path.c_str());
    path.clear();
}

}  // namespace winsim
