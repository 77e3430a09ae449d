#include <cwctype>

#include "installer/installer.h"
#include "installer_scan_tests.h"
#include "output_capture.h"
#include "plain_removal.h"
#include "registry/registry.h"

namespace {

// Value names and subkeys of a key, depth first, or that it is not there.
void Describe(HKEY parent, const std::wstring &path, std::wstring &text)
{
    HKEY key;
    LONG status = RegOpenKeyExW(parent, path.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &key);
    text += path + (status == ERROR_SUCCESS ? L"\n" : L" (" + std::to_wstring(status) + L")\n");
    if (status != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> name(VALUE_NAME_CHARS);
    for (DWORD i = 0; EnumValueName(key, i, name.data()) == ERROR_SUCCESS; ++i)
        text += L"  " + std::wstring(name.data()) + L"\n";
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0; EnumKeyName(key, i, name.data()) == ERROR_SUCCESS; ++i)
        subkeys.push_back(path + L"\\" + name.data());
    RegCloseKey(key);
    for (const std::wstring &subkey : subkeys)
        Describe(HKEY_LOCAL_MACHINE, subkey, text);
}

std::wstring InstallerKeys()
{
    std::wstring text;
    for (const Product *product : {&P1, &P2, &P3}) {
        for (const std::wstring &location : {FEATURES, PRODUCTS, USERDATA_PRODUCTS})
            Describe(HKEY_LOCAL_MACHINE, location + product->packed, text);
        Describe(HKEY_LOCAL_MACHINE, UNINSTALL + product->code, text);
    }
    for (const std::wstring &component : COMPONENT_NAMES)
        Describe(HKEY_LOCAL_MACHINE, COMPONENTS + component, text);
    for (const Product *upgradeCode : {&U1, &U2})
        for (const std::wstring &location : {UPGRADE_CODES_1, UPGRADE_CODES_2})
            Describe(HKEY_LOCAL_MACHINE, location + upgradeCode->packed, text);
    HKEY folders;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, FOLDERS.c_str(), 0, KEY_READ, &folders) == ERROR_SUCCESS) {
        for (const Product *product : {&P1, &P2, &P3}) {
            std::wstring folder = L"C:\\Windows\\Installer\\" + product->code + L"\\";
            if (RegQueryValueExW(folders, folder.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                text += L"folder " + folder + L"\n";
        }
        RegCloseKey(folders);
    }
    return text;
}

}  // namespace

std::wstring WithoutLineNumbers(const std::wstring &text)
{
    const std::wstring source = L"install:";
    std::wstring result = text;
    for (size_t at = result.find(source); at != std::wstring::npos; at = result.find(source, at + 1)) {
        size_t digits = at + source.size();
        size_t end = digits;
        while (end < result.size() && iswdigit(result[end]))
            ++end;
        if (end > digits && end < result.size() && result[end] == L':')
            result.replace(digits, end - digits, L"(line)");
    }
    return result;
}

Printed InstallerScanTest::Scanned(const Removal &removal)
{
    return removal.byUpgradeCode ? RemoveByUpgrade(*removal.code, removal.mode, removal.warn)
                                 : Remove(*removal.code, removal.mode, removal.warn);
}

Printed InstallerScanTest::Plain(const Removal &removal)
{
    OutputCapture capture;
    LPCWSTR code = removal.code->code.c_str();
    DWORD result = removal.byUpgradeCode ? PlainRemoveByUpgradeCode(code, removal.mode, removal.warn)
                                         : PlainRemoveProduct(code, removal.mode, removal.warn);
    return Printed{result, capture.Out(), capture.Err()};
}

Outcome InstallerScanTest::Run(bool inScan, const std::function<void()> &setUp, const std::vector<Removal> &removals)
{
    RemoveFixtures();
    EmptyTestKeys();
    setUp();
    // The first residue report shows the last error: the same for both ways.
    SetLastError(ERROR_SUCCESS);
    if (inScan)
        BeginInstallerScan();
    Outcome outcome;
    for (const Removal &removal : removals) {
        Printed printed = inScan ? Scanned(removal) : Plain(removal);
        outcome.printed +=
            L"result " + std::to_wstring(printed.result) + L"\n" + printed.out + WithoutLineNumbers(printed.err);
    }
    if (inScan)
        EndInstallerScan();
    outcome.registry = InstallerKeys();
    return outcome;
}

void InstallerScanTest::VerifySameInAndOutOfScan(const char *file, int line, const std::function<void()> &setUp,
                                                 const std::vector<Removal> &removals)
{
    testing::ScopedTrace trace(file, line, "removals in and out of a scan");
    Outcome plain = Run(false, setUp, removals);
    Outcome scanned = Run(true, setUp, removals);
    EXPECT_EQ(plain.printed, scanned.printed);
    EXPECT_EQ(plain.registry, scanned.registry);
}
