// Mounting a hive file of arbitrary bytes: it is either mounted, its root
// key in the registry where it was asked for, or refused with a reason that
// says in words what is wrong, never in the error numbers hivex sets; it
// never crashes, hangs or reads outside what hivex gave it. The bytes are
// written to an in-memory file that the mount opens by its /proc path.
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <winsim/offline_hives.h>
#include <winsim/windows.h>

#include "hive_names.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

int HiveFile()
{
    static int fd = memfd_create("hive", MFD_CLOEXEC);
    Check(fd >= 0);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int fd = HiveFile();
    Check(ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    const std::vector<std::wstring> path = {L"MACHINE", L"FUZZED"};
    winsim::MountedHive mounted;
    std::wstring reason;
    if (winsim::MountHive("/proc/self/fd/" + std::to_string(fd), path, &mounted, &reason)) {
        HKEY key = nullptr;
        Check(mounted.root.lock() && mounted.path == path &&
              RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"FUZZED", 0, KEY_READ, &key) == ERROR_SUCCESS);
        RegCloseKey(key);
    } else {
        Check(!reason.empty());
        for (int error : {EFAULT, ENOTSUP, EINVAL})
            Check(reason.find(winsim::ErrorText(error)) == std::wstring::npos);
    }
    return 0;
}
