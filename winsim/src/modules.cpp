// System modules and the exports that the program looks up at run time.
#include <cstring>
#include <cwctype>
#include <string>

#include "file_system.h"
#include "machine.h"
#include "registry/reg_api_delete.h"
#include "registry/reg_api_query.h"

namespace winsim {
namespace {

struct Module {
    const wchar_t *name;  // lower case, without ".dll"
    HMODULE handle;
};

HMODULE FakeModule(uintptr_t value)
{
    return reinterpret_cast<HMODULE>(value);
}

const Module modules[] = {
    {L"kernel32", FakeModule(0x7c800000)},
    {L"advapi32", FakeModule(0x77dd0000)},
    {L"ntdll", FakeModule(0x7c900000)},
};

BOOL WINAPI SimIsWow64Process(HANDLE process, PBOOL wow64)
{
    if (process != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *wow64 = TheMachine().kind == MachineKind::Windows64;
    return TRUE;
}

BOOL WINAPI SimWow64DisableWow64FsRedirection(PVOID *oldValue)
{
    if (TheMachine().kind != MachineKind::Windows64) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    *oldValue = reinterpret_cast<PVOID>(static_cast<uintptr_t>(TheMachine().fsRedirectionDisabled));
    TheMachine().fsRedirectionDisabled = true;
    return TRUE;
}

BOOL WINAPI SimWow64RevertWow64FsRedirection(PVOID oldValue)
{
    if (TheMachine().kind != MachineKind::Windows64) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    TheMachine().fsRedirectionDisabled = reinterpret_cast<uintptr_t>(oldValue) != 0;
    return TRUE;
}

struct Export {
    const char *module;
    const char *name;
    FARPROC address;
};

template <typename Function> FARPROC AsFarProc(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

const Export exports[] = {
    {"kernel32", "IsWow64Process", AsFarProc(SimIsWow64Process)},
    {"kernel32", "Wow64DisableWow64FsRedirection", AsFarProc(SimWow64DisableWow64FsRedirection)},
    {"kernel32", "Wow64RevertWow64FsRedirection", AsFarProc(SimWow64RevertWow64FsRedirection)},
    {"advapi32", "RegDeleteKeyExW", AsFarProc(SimRegDeleteKeyExW)},
    {"ntdll", "ZwDeleteKey", AsFarProc(SimZwDeleteKey)},
    {"ntdll", "NtQueryKey", AsFarProc(SimNtQueryKey)},
    {"ntdll", "NtQueryInformationFile", AsFarProc(SimNtQueryInformationFile)},
};

std::wstring ModuleBaseName(LPCWSTR name)
{
    std::wstring lower = Lowercase(name);
    const std::wstring suffix = L".dll";
    if (lower.size() > suffix.size() && lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0)
        lower.resize(lower.size() - suffix.size());
    return lower;
}

const Module *FindModule(HMODULE handle)
{
    for (const Module &module : modules)
        if (module.handle == handle)
            return &module;
    return nullptr;
}

std::string Narrow(const wchar_t *ascii)
{
    std::string narrow;
    for (; *ascii; ++ascii)
        narrow += static_cast<char>(*ascii);
    return narrow;
}

}  // namespace

void RemoveExport(const char *module, const char *name)
{
    TheMachine().removedExports.insert(std::string(module) + "!" + name);
}

void SetModuleHandleFails(bool fails)
{
    TheMachine().moduleHandleFails = fails;
}

bool FsRedirectionDisabled()
{
    return TheMachine().fsRedirectionDisabled;
}

}  // namespace winsim

using namespace winsim;

HANDLE WINAPI GetCurrentProcess(void)
{
    return INVALID_HANDLE_VALUE;
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR lpModuleName)
{
    if (lpModuleName && !TheMachine().moduleHandleFails) {
        std::wstring base = ModuleBaseName(lpModuleName);
        for (const Module &module : modules)
            if (base == module.name)
                return module.handle;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    const Module *module = FindModule(hModule);
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    std::string moduleName = Narrow(module->name);
    for (const Export &entry : exports) {
        if (moduleName != entry.module || std::strcmp(lpProcName, entry.name) != 0)
            continue;
        if (TheMachine().removedExports.count(moduleName + "!" + entry.name))
            break;
        return entry.address;
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName)
{
    return GetModuleHandleW(lpLibFileName);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule)
{
    if (!FindModule(hLibModule)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
