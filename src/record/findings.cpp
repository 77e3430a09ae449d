#include "record/findings.h"

#include <set>

#include "record/run_record.h"

namespace {

std::vector<Finding> &List()
{
    static std::vector<Finding> findings;
    return findings;
}

// A path names the same item in any case of letters; a value's name too.
void Add(FindingKind kind, const std::wstring &path, const std::wstring &name, const std::wstring &entry = L"")
{
    static std::set<std::wstring> seen;
    std::wstring identity =
        UpperCase(path) + L'\n' + UpperCase(name) + L'\n' + UpperCase(entry) + static_cast<wchar_t>(L'0' + kind);
    if (seen.insert(identity).second)
        List().push_back(Finding{kind, path, name, entry});
}

// Where the key really lives; its name as the run gave it when that cannot be read.
std::wstring KeyPath(HKEY hKey, LPCWSTR lpSubKey)
{
    std::wstring path;
    if (RealKeyPath(hKey, &path) != 0)
        path = L"(a key whose path cannot be read)";
    return lpSubKey ? path + L"\\" + lpSubKey : path;
}

}  // namespace

void NoteFoundKey(HKEY hKey, LPCWSTR lpSubKey)
{
    Add(FOUND_KEY, KeyPath(hKey, lpSubKey), L"");
}

void NoteFoundValue(HKEY hKey, LPCWSTR lpName)
{
    Add(FOUND_VALUE, KeyPath(hKey, nullptr), lpName);
}

void NoteFoundListEntry(HKEY hKey, LPCWSTR lpName, LPCWSTR lpEntry)
{
    Add(FOUND_LIST_ENTRY, KeyPath(hKey, nullptr), lpName, lpEntry);
}

void NoteFoundFile(FindingKind kind, LPCWSTR lpPath, LPCWSTR lpRealPath)
{
    Add(kind, lpRealPath ? lpRealPath : lpPath, L"");
}

const std::vector<Finding> &Findings()
{
    return List();
}
