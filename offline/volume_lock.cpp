// One vxclean-offline at a time on a volume: a removal holds an exclusive lock
// on the volume's config folder, a report a shared one, so that a report never
// reads hives that a removal is writing and two removals never write the same
// hives. The lock is the kernel's, dropped when the process ends however it
// ends, so a killed run leaves nothing that blocks the next one.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "offline_program.h"
#include "winsim/utf8.h"

namespace offline {

bool LockVolume(const std::string &configFolder, const std::wstring &root, bool shared, std::wstring *reason)
{
    std::wstring folder = winsim::DecodeUtf8(configFolder.c_str());
    // Kept open, and so locked, until the process ends.
    int fd = open(configFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *reason = L"cannot open " + folder + L" to lock it: " + winsim::DecodeUtf8(std::strerror(errno));
        return false;
    }
    if (flock(fd, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB) == 0)
        return true;
    int error = errno;
    close(fd);
    if (error == EWOULDBLOCK)
        *reason = L"another vxclean-offline is working on " + root + L" (it holds a lock on " + folder +
                  L"): nothing was done. Run again when it has finished.";
    else
        *reason = L"cannot lock " + folder + L": " + winsim::DecodeUtf8(std::strerror(error));
    return false;
}

}  // namespace offline
