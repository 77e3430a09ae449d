#include <sys/stat.h>

#include "replayed_copy.h"
#include "winsim/offline_hives.h"

namespace winsim {

unsigned long long MountedSize(const MountedHive &mounted)
{
    struct stat status;
    const std::string &source = mounted.replayed ? mounted.replayed->SourceOf(mounted) : mounted.file;
    return stat(source.c_str(), &status) == 0 ? static_cast<unsigned long long>(status.st_size) : 0;
}

}  // namespace winsim
