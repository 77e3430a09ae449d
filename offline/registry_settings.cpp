// What a booting Windows takes from its registry for the environment and the
// known folders: the Windows folder, the program-files folders (for our
// 32-bit process on 64-bit Windows, the 32-bit ones under the plain names)
// and the common Start menu.
#include <cwctype>

#include "offline_program.h"
#include "winsim/control.h"

namespace offline {
namespace {

const wchar_t NT_VERSION[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t VERSION[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const wchar_t PROFILE_LIST[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const wchar_t SHELL_FOLDERS[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct Setting {
    const wchar_t *variable;
    const wchar_t *key;
    const wchar_t *windows32;  // the value on 32-bit Windows, null for none
    const wchar_t *windows64;
};

const Setting settings[] = {
    {L"SystemRoot", NT_VERSION, L"SystemRoot", L"SystemRoot"},
    {L"windir", NT_VERSION, L"SystemRoot", L"SystemRoot"},
    {L"ProgramData", PROFILE_LIST, L"ProgramData", L"ProgramData"},
    {L"ProgramFiles", VERSION, L"ProgramFilesDir", L"ProgramFilesDir (x86)"},
    {L"ProgramFiles(x86)", VERSION, nullptr, L"ProgramFilesDir (x86)"},
    {L"ProgramW6432", VERSION, nullptr, L"ProgramW6432Dir"},
    {L"CommonProgramFiles", VERSION, L"CommonFilesDir", L"CommonFilesDir (x86)"},
    {L"CommonProgramFiles(x86)", VERSION, nullptr, L"CommonFilesDir (x86)"},
    {L"CommonProgramW6432", VERSION, nullptr, L"CommonW6432Dir"},
};

bool OnDriveC(const std::wstring &path)
{
    return path.size() >= 3 && std::towupper(path[0]) == L'C' && path[1] == L':' && path[2] == L'\\';
}

// The folder, or empty with a warning when it is not on the volume.
std::wstring FolderOnVolume(const wchar_t *key, const wchar_t *name)
{
    std::wstring folder = MachineString(key, name);
    if (folder.empty() || OnDriveC(folder))
        return folder;
    Complain(std::wstring(name) + L" is " + folder + L", not on the system volume: Windows' default is used");
    return L"";
}

}  // namespace

void TakeSettingsFromRegistry()
{
    bool windows64 = winsim::GetMachineKind() == winsim::MachineKind::Windows64;
    for (const Setting &setting : settings) {
        const wchar_t *name = windows64 ? setting.windows64 : setting.windows32;
        std::wstring folder = name ? FolderOnVolume(setting.key, name) : L"";
        if (!folder.empty())
            SetEnvironmentVariableW(setting.variable, folder.c_str());
    }
    winsim::SetCommonStartMenu(FolderOnVolume(SHELL_FOLDERS, L"Common Start Menu"));
}

}  // namespace offline
