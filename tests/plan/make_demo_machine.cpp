// Writes a machine folder on which the product family is installed beside
// other vendors' data: the demo that scripts/run-host.sh cleans.
#include <cstdio>
#include <string>

#include <winsim/control.h>

#include "installed_family.h"
#include "registry_helpers.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s machine-folder\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    winsim::ResetMachine();
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
    winsim::SetMachineFolder(folder);
    InstallBystanders();
    InstallProductFamily();
    if (!winsim::SaveMachineFolder(folder)) {
        std::fprintf(stderr, "cannot write the machine to %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
