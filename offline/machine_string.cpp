// Reading the mounted registry through the simulated Win32 calls.
#include <vector>

#include "offline_program.h"
#include "winsim/control.h"

namespace offline {

std::wstring MachineString(const wchar_t *key, const wchar_t *name)
{
    HKEY opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return L"";
    DWORD type = 0;
    DWORD size = 0;
    std::vector<wchar_t> data;
    LONG error = RegQueryValueExW(opened, name, nullptr, &type, nullptr, &size);
    if (error == ERROR_SUCCESS) {
        data.assign(size / sizeof(wchar_t) + 1, L'\0');
        error = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size);
    }
    RegCloseKey(opened);
    if (error != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return L"";
    std::wstring text(data.data());
    if (type == REG_SZ)
        return text;
    std::vector<wchar_t> expanded(ExpandEnvironmentStringsW(text.c_str(), nullptr, 0));
    ExpandEnvironmentStringsW(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
    return expanded.data();
}

}  // namespace offline
