// winsim-reg: "reg import" and "reg export" for the simulated machine kept in
// the folder that WINSIM_MACHINE names, in the registry editor's text form.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "winsim/control.h"
#include "winsim/utf8.h"

namespace {

int Usage()
{
    std::fputs("usage: WINSIM_MACHINE=<folder> winsim-reg import|export FILE.reg\n", stderr);
    return 1;
}

int Fail(const std::string &what, const std::wstring &reason)
{
    std::fprintf(stderr, "winsim-reg: %s: %s\n", what.c_str(), winsim::EncodeUtf8(reason.c_str()).c_str());
    return 1;
}

}  // namespace

int main(int argc, char **argv)
{
    const char *folder = std::getenv("WINSIM_MACHINE");
    if (argc != 3 || !folder || !*folder || (std::strcmp(argv[1], "import") && std::strcmp(argv[1], "export")))
        return Usage();
    const std::string file = argv[2];
    std::wstring reason;
    if (!winsim::LoadMachineFolder(folder, &reason))
        return Fail(std::string("cannot load the machine in ") + folder, reason);
    if (std::strcmp(argv[1], "export") == 0)
        return winsim::ExportRegistryFile(file) ? 0 : Fail(file, L"cannot write the file");
    if (!winsim::ImportRegistryFile(file, &reason))
        return Fail(file, reason);
    if (!winsim::SaveMachineFolder(folder))
        return Fail(std::string("cannot save the machine in ") + folder, L"the folder is not writable");
    return 0;
}
