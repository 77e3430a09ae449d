#include "test_machine.h"

#include "win32api.h"

#include <clocale>

#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <string>

#include <winsim/control.h>

namespace {

// The host folder of the current simulated machine, removed with the next one.
std::string machineFolder;

void RemoveMachineFolder()
{
    std::error_code error;
    if (!machineFolder.empty())
        std::filesystem::remove_all(machineFolder, error);
    machineFolder.clear();
}

}  // namespace
#endif

void StartFreshMachine()
{
#ifndef _WIN32
    static bool removeAtExit = (std::atexit(RemoveMachineFolder), true);
    (void)removeAtExit;
    RemoveMachineFolder();
    std::string pattern = (std::filesystem::temp_directory_path() / "vxsim-XXXXXX").string();
    if (mkdtemp(&pattern[0]))
        machineFolder = pattern;
    winsim::ResetMachine();
    winsim::SetMachineKind(winsim::MachineKind::Windows32);
    winsim::SetMachineFolder(machineFolder);
#endif
}

void UseBothViews()
{
#ifndef _WIN32
    winsim::SetMachineKind(winsim::MachineKind::Windows64);
#endif
}

void WithoutFsRedirection(const std::function<void()> &call)
{
    typedef BOOL(WINAPI * Disable)(PVOID *);
    typedef BOOL(WINAPI * Revert)(PVOID);
    HMODULE kernel32 = GetModuleHandleW(L"kernel32");
    Disable disable =
        reinterpret_cast<Disable>(reinterpret_cast<void *>(GetProcAddress(kernel32, "Wow64DisableWow64FsRedirection")));
    Revert revert =
        reinterpret_cast<Revert>(reinterpret_cast<void *>(GetProcAddress(kernel32, "Wow64RevertWow64FsRedirection")));
    PVOID old = nullptr;
    bool off = disable && revert && disable(&old);
    call();
    if (off)
        revert(old);
}

bool FsRedirectionOff()
{
#ifdef _WIN32
    // A file only the real System32 holds; made once, with redirection off.
    static const wchar_t MARK[] = L"C:\\Windows\\System32\\vxclean-tests-native-system32.txt";
    static const bool marked = [] {
        WithoutFsRedirection([] {
            CloseHandle(CreateFileW(MARK, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        });
        WIN32_FILE_ATTRIBUTE_DATA redirected;
        // Without redirection anywhere the mark is always seen: say off only
        // where it can be on.
        return !GetFileAttributesExW(MARK, GetFileExInfoStandard, &redirected);
    }();
    return marked && GetFileAttributesW(MARK) != INVALID_FILE_ATTRIBUTES;
#else
    return winsim::FsRedirectionDisabled();
#endif
}

void SelectTestLocale()
{
#ifdef _WIN32
    // What the program itself selects on a Russian console.
    setlocale(LC_ALL, ".1251");
#else
    setlocale(LC_ALL, "C.UTF-8");
#endif
}
