// The environment and the known folders as Windows gives them to our 32-bit
// process: on 64-bit Windows the program-files variables name the 32-bit
// folders, and the *W6432 ones the 64-bit folders, which 32-bit Windows lacks.
#include <cwchar>

#include "file_system.h"

namespace winsim {
namespace {

struct Variable {
    const wchar_t *name;  // upper case
    const wchar_t *windows32;
    const wchar_t *windows64;
};

const Variable variables[] = {
    {L"PROGRAMFILES", L"C:\\Program Files", L"C:\\Program Files (x86)"},
    {L"PROGRAMFILES(X86)", nullptr, L"C:\\Program Files (x86)"},
    {L"PROGRAMW6432", nullptr, L"C:\\Program Files"},
    {L"COMMONPROGRAMFILES", L"C:\\Program Files\\Common Files", L"C:\\Program Files (x86)\\Common Files"},
    {L"COMMONPROGRAMFILES(X86)", nullptr, L"C:\\Program Files (x86)\\Common Files"},
    {L"COMMONPROGRAMW6432", nullptr, L"C:\\Program Files\\Common Files"},
    {L"SYSTEMDRIVE", L"C:", L"C:"},
    {L"SYSTEMROOT", L"C:\\Windows", L"C:\\Windows"},
    {L"WINDIR", L"C:\\Windows", L"C:\\Windows"},
    {L"PROGRAMDATA", L"C:\\ProgramData", L"C:\\ProgramData"},
    {L"TEMP", L"C:\\Windows\\Temp", L"C:\\Windows\\Temp"},
    {L"TMP", L"C:\\Windows\\Temp", L"C:\\Windows\\Temp"},
};

const wchar_t *ValueOf(const std::wstring &name)
{
    std::wstring upper = Uppercase(name);
    auto set = TheMachine().environment.find(upper);
    if (set != TheMachine().environment.end())
        return set->second.first ? set->second.second.c_str() : nullptr;
    for (const Variable &variable : variables)
        if (upper == variable.name)
            return TheMachine().kind == MachineKind::Windows64 ? variable.windows64 : variable.windows32;
    return nullptr;
}

}  // namespace
}  // namespace winsim

using namespace winsim;

BOOL WINAPI SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue)
{
    if (!lpName || !*lpName || std::wcschr(lpName, L'=')) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    TheMachine().environment[Uppercase(lpName)] = {lpValue != nullptr, lpValue ? lpValue : L""};
    return TRUE;
}

DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize)
{
    const wchar_t *value = ValueOf(lpName);
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    DWORD length = static_cast<DWORD>(std::wcslen(value));
    if (!lpBuffer || length >= nSize)
        return length + 1;
    std::wmemcpy(lpBuffer, value, length + 1);
    return length;
}

DWORD WINAPI ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize)
{
    std::wstring source = lpSrc;
    std::wstring expanded;
    size_t i = 0;
    while (i < source.size()) {
        size_t close = source[i] == L'%' ? source.find(L'%', i + 1) : std::wstring::npos;
        const wchar_t *value = close == std::wstring::npos ? nullptr : ValueOf(source.substr(i + 1, close - i - 1));
        if (value) {
            expanded += value;
            i = close + 1;
        } else {
            // Unknown names stay as written, with their percent signs.
            expanded += source[i++];
        }
    }
    if (lpDst && expanded.size() < nSize)
        std::wmemcpy(lpDst, expanded.c_str(), expanded.size() + 1);
    return static_cast<DWORD>(expanded.size() + 1);
}

void winsim::SetCommonStartMenu(const std::wstring &path)
{
    TheMachine().commonStartMenu = path;
}

// The system folders follow %SystemRoot%.
HRESULT WINAPI SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD dwFlags, LPWSTR pszPath)
{
    const wchar_t *systemRoot = ValueOf(L"SYSTEMROOT");
    std::wstring folder;
    switch (csidl & 0xFF) {
    case CSIDL_SYSTEM:
        folder = systemRoot ? systemRoot + std::wstring(L"\\system32") : L"";
        break;
    case CSIDL_WINDOWS:
        folder = systemRoot ? systemRoot : L"";
        break;
    case CSIDL_COMMON_STARTMENU:
        folder = TheMachine().commonStartMenu;
        if (folder.empty())
            folder = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
        break;
    }
    if (folder.empty() || folder.size() >= MAX_PATH || dwFlags > 1 || !pszPath)
        return E_INVALIDARG;
    std::wcscpy(pszPath, folder.c_str());
    return S_OK;
}
