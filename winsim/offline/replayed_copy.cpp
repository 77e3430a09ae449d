#include "replayed_copy.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "hive_names.h"

namespace winsim {
namespace {

// A new file in the folder, its name already gone, or -1 with errno set. No
// signal that can be caught ends the program between the two steps; it comes
// after them.
int NamelessFile(const std::string &folder)
{
    std::string name = folder + "/vxclean-replayed-XXXXXX";
    sigset_t all, was;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &was);
    int descriptor = mkostemp(&name[0], O_CLOEXEC);
    int error = errno;
    if (descriptor >= 0 && unlink(name.c_str()) != 0) {
        error = errno;
        close(descriptor);
        descriptor = -1;
    }
    sigprocmask(SIG_SETMASK, &was, nullptr);
    errno = error;
    return descriptor;
}

}  // namespace

std::shared_ptr<ReplayedCopy> ReplayedCopy::Write(const HiveBytes &image, std::wstring *reason)
{
    const char *given = std::getenv("TMPDIR");
    std::string folder = given && *given ? given : "/tmp";
    int descriptor = NamelessFile(folder);
    if (descriptor < 0) {
        *reason =
            L"cannot create a temporary file for the replayed hive in " + WideText(folder) + L": " + ErrorText(errno);
        return nullptr;
    }
    std::shared_ptr<ReplayedCopy> copy(new ReplayedCopy(descriptor));
    for (size_t done = 0; done < image.size();) {
        ssize_t put = write(descriptor, image.data() + done, image.size() - done);
        if (put <= 0) {
            *reason = L"cannot write the replayed hive to a temporary file in " + WideText(folder) + L": " +
                      ErrorText(put < 0 ? errno : ENOSPC);
            return nullptr;
        }
        done += static_cast<size_t>(put);
    }
    return copy;
}

ReplayedCopy::ReplayedCopy(int descriptor) : descriptor(descriptor), path("/proc/self/fd/" + std::to_string(descriptor))
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
        close(descriptor);
    path.clear();
}

}  // namespace winsim
