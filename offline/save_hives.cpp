// The mounted hives written back: only those that changed, each after a
// backup of the old file.
#include <cstdio>

#include "offline_program.h"
#include "winsim/utf8.h"

namespace offline {

bool SaveHives(const std::vector<winsim::MountedHive> &mounts)
{
    bool saved = true;
    for (const winsim::MountedHive &mounted : mounts) {
        bool written = false;
        std::wstring reason;
        if (!winsim::SaveHive(mounted, &written, &reason)) {
            Complain(L"the hive " + winsim::DecodeUtf8(mounted.file.c_str()) + L" could not be written: " + reason +
                     L". Run vxclean-offline again once the cause is fixed: it removes what is left.");
            saved = false;
        } else if (written) {
            std::printf("Written: %s\n", mounted.file.c_str());
        }
    }
    return saved;
}

}  // namespace offline
