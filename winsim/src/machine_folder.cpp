// The host program's machine, kept in a folder between runs: its kind, its
// registry and its drive C:, the folder "C". Each file is written beside the old one and renamed over it,
// so that a crash never leaves half a machine.
#include <cstdio>
#include <string>

#include "machine.h"

namespace winsim {
namespace {

const char KIND_FILE[] = "/machine.txt";
const char REGISTRY_FILE[] = "/registry.reg";
const char KIND_64[] = "64-bit Windows";
const char KIND_32[] = "32-bit Windows";

bool ReplaceFile(const std::string &path, const std::string &written)
{
    return std::rename(written.c_str(), path.c_str()) == 0;
}

bool ReadKind(const std::string &path, MachineKind *kind, std::wstring *reason)
{
    FILE *file = std::fopen(path.c_str(), "r");
    if (!file)
        return true;
    char line[64] = "";
    bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    std::string text = read ? std::string(line) : std::string();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (text == KIND_64 || text == KIND_32) {
        *kind = text == KIND_64 ? MachineKind::Windows64 : MachineKind::Windows32;
        return true;
    }
    *reason = L"machine.txt names no known kind of Windows";
    return false;
}

}  // namespace

bool LoadMachineFolder(const std::string &folder, std::wstring *reason)
{
    MachineKind kind = MachineKind::Windows64;
    if (!ReadKind(folder + KIND_FILE, &kind, reason))
        return false;
    ResetMachine();
    SetMachineKind(kind);
    SetMachineFolder(folder);
    std::string registry = folder + REGISTRY_FILE;
    if (FILE *file = std::fopen(registry.c_str(), "rb")) {
        std::fclose(file);
        return RestoreRegistryFile(registry, reason);
    }
    return true;
}

bool SaveMachineFolder(const std::string &folder)
{
    std::string kind = folder + KIND_FILE;
    std::string registry = folder + REGISTRY_FILE;
    FILE *file = std::fopen((kind + ".new").c_str(), "w");
    if (!file)
        return false;
    bool written = std::fprintf(file, "%s\n", TheMachine().kind == MachineKind::Windows64 ? KIND_64 : KIND_32) > 0;
    written = std::fclose(file) == 0 && written;
    return written && ReplaceFile(kind, kind + ".new") && ExportRegistryFile(registry + ".new") &&
           ReplaceFile(registry, registry + ".new");
}

}  // namespace winsim
