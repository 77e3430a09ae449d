// Writes a machine folder on which the product family is installed beside
// other vendors' data: the demo that scripts/run-host.sh cleans, and, as a
// 32-bit machine, the fixture that the Wine comparison loads into a prefix.
#include <cstdio>
#include <string>

#include <winsim/control.h>

#include "installed_family.h"
#include "registry_helpers.h"

int main(int argc, char **argv)
{
    bool windows32 = argc == 3 && std::string(argv[1]) == "--32-bit";
    if (argc != 2 && !windows32) {
        std::fprintf(stderr, "usage: %s [--32-bit] machine-folder\n", argv[0]);
        return 2;
    }
    std::string folder = argv[argc - 1];
    winsim::ResetMachine();
    winsim::SetMachineKind(windows32 ? winsim::MachineKind::Windows32 : winsim::MachineKind::Windows64);
    winsim::SetMachineFolder(folder);
    InstallBystanders();
    InstallProductFamily();
    if (!winsim::SaveMachineFolder(folder)) {
        std::fprintf(stderr, "cannot write the machine to %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
