#include "plan_doubles.h"

#include "files/files.h"
#include "installer/installer.h"
#include "registry/registry.h"
#include "repair/repair.h"

namespace {

std::wstring RootName(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? L"HKLM" : root == HKEY_CLASSES_ROOT ? L"HKCR" : L"HKCU";
}

DWORD Record(const std::wstring &line)
{
    Calls().lines.push_back(line);
    auto chosen = Calls().results.find(line);
    return chosen == Calls().results.end() ? 0 : chosen->second;
}

std::wstring Pattern(LPCWSTR pattern)
{
    return pattern ? pattern : L"-";
}

}  // namespace

PlanCalls &Calls()
{
    static PlanCalls calls;
    return calls;
}

std::vector<std::wstring> CallsStartingWith(const std::wstring &prefix)
{
    std::vector<std::wstring> found;
    for (const std::wstring &line : Calls().lines)
        if (line.compare(0, prefix.size(), prefix) == 0)
            found.push_back(line);
    return found;
}

DWORD DeleteKey(HKEY hRoot, LPCWSTR lpSubKey, DWORD, DWORD)
{
    return Record(L"Del " + RootName(hRoot) + L" " + lpSubKey);
}

DWORD WipeMatchingKeys(LPCWSTR lpSubKey, LPCWSTR lpKeyNameMatch, LPCWSTR lpValDataMatch, DWORD, DWORD)
{
    return Record(L"Wipe " + std::wstring(lpSubKey) + L" key " + Pattern(lpKeyNameMatch) + L" data " +
                  Pattern(lpValDataMatch));
}

DWORD DeleteValuesByName(HKEY hRoot, LPCWSTR lpSubKey, LPCWSTR lpPattern, DWORD, DWORD)
{
    return Record(L"Vals " + RootName(hRoot) + L" " + lpSubKey + L" " + lpPattern);
}

DWORD RemoveByUpgradeCode(LPCWSTR lpUpgradeCode, DWORD, DWORD)
{
    return Record(L"Upgrade " + std::wstring(lpUpgradeCode));
}

DWORD RemoveProduct(LPCWSTR lpProductCode, DWORD, DWORD)
{
    return Record(L"Product " + std::wstring(lpProductCode));
}

DWORD TlsRegUninstall(DWORD, DWORD)
{
    return Record(L"Repair Tls");
}

DWORD SslRegUninstall(DWORD, DWORD)
{
    return Record(L"Repair Ssl");
}

DWORD CertDllVerifyRevocationRegUninstall(DWORD, DWORD)
{
    return Record(L"Repair CertDll");
}

void FlushRoot(LPCWSTR lpPath)
{
    Record(L"Flush " + std::wstring(lpPath));
}

DWORD DeleteTreeIfExists(LPCWSTR lpPath, DWORD dwMode, DWORD)
{
    return Record(L"Tree " + std::wstring(lpPath) + L" mode " + std::to_wstring(dwMode));
}

DWORD DeleteFileIfExists(LPCWSTR lpFileName, DWORD, DWORD)
{
    return Record(L"File " + std::wstring(lpFileName));
}

DWORD DeleteByMask(LPCWSTR lpMask, DWORD, DWORD)
{
    return Record(L"Mask " + std::wstring(lpMask));
}

DWORD CleanDriverPackages(DWORD dwMode)
{
    return Record(L"Packages mode " + std::to_wstring(dwMode));
}
