// Whether a hive written anew can keep what its file is besides its bytes:
// a file made beside it for a moment is given them and removed.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "file_metadata.h"
#include "hive_names.h"
#include "winsim/offline_hives.h"

namespace winsim {
namespace {

// A killed run can leave one behind; the next check replaces it.
const char PROBE_TAG[] = ".vxclean-probe";

}  // namespace

bool HiveMetadataCopyable(const std::string &hive, std::wstring *reason)
{
    std::string probe = hive + PROBE_TAG;
    unlink(probe.c_str());
    int made = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (made < 0) {
        *reason = L"cannot create " + WideText(probe) + L" to try giving a new file the metadata of the hive " +
                  WideText(hive) + L": " + ErrorText(errno);
        return false;
    }
    close(made);
    bool copyable = CopyFileMetadata(hive, probe, reason);
    if (unlink(probe.c_str()) != 0 && copyable) {
        *reason = L"cannot remove " + WideText(probe) + L": " + ErrorText(errno);
        return false;
    }
    return copyable;
}

}  // namespace winsim
