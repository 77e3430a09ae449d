#include "installer_fixture.h"

#include "installer/installer.h"
#include "output_capture.h"

const Product P1 = {L"{6E8A4C10-1D3B-4F52-9A07-B2C1D4E5F601}", L"01C4A8E6B3D125F4A9702B1C4D5E6F10"};
const Product P2 = {L"{6E8A4C10-1D3B-4F52-9A07-B2C1D4E5F602}", L"01C4A8E6B3D125F4A9702B1C4D5E6F20"};
const Product P3 = {L"{3C1A2B3D-4E5F-4A6B-9C7D-8E9FA0B1C2D3}", L"D3B2A1C3F5E4B6A4C9D7E8F90A1B2C3D"};
const Product U1 = {L"{9F2B7D40-AB12-4C3E-8D5F-0123456789AB}", L"04D7B2F921BAE3C4D8F51032547698BA"};
const Product U2 = {L"{9F2B7D40-AB12-4C3E-8D5F-0123456789AC}", L"04D7B2F921BAE3C4D8F51032547698CA"};

const std::wstring FEATURES = L"SOFTWARE\\Classes\\Installer\\Features\\";
const std::wstring PRODUCTS = L"SOFTWARE\\Classes\\Installer\\Products\\";
const std::wstring USERDATA_PRODUCTS =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\";
const std::wstring COMPONENTS =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\";
const std::wstring UNINSTALL = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::wstring FOLDERS = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const std::wstring UPGRADE_CODES_1 = L"SOFTWARE\\Classes\\Installer\\UpgradeCodes\\";
const std::wstring UPGRADE_CODES_2 = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes\\";
const std::vector<std::wstring> COMPONENT_NAMES = {L"5A1B2C3D4E5F60718293A4B5C6D7E8F9",
                                                   L"5A1B2C3D4E5F60718293A4B5C6D7E8FA", std::wstring(255, L'C')};

namespace {

std::wstring FolderOf(const Product &product)
{
    return L"C:\\Windows\\Installer\\" + product.code + L"\\";
}

// Under Wine the registry outlives the test: each test's keys and values go.
void DeleteKeyTree(const std::wstring &path)
{
    RemoveTestTree(HKEY_LOCAL_MACHINE, path);
}

}  // namespace

void InstallerTest::RemoveFixtures()
{
    for (const Product *product : {&P1, &P2, &P3}) {
        for (const std::wstring &location : {FEATURES, PRODUCTS, USERDATA_PRODUCTS})
            DeleteKeyTree(location + product->packed);
        DeleteKeyTree(UNINSTALL + product->code);
        HKEY folders;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, FOLDERS.c_str(), 0, KEY_SET_VALUE, &folders) == ERROR_SUCCESS) {
            RegDeleteValueW(folders, FolderOf(*product).c_str());
            RegCloseKey(folders);
        }
    }
    for (const std::wstring &component : COMPONENT_NAMES)
        DeleteKeyTree(COMPONENTS + component);
    for (const Product *upgradeCode : {&U1, &U2})
        for (const std::wstring &location : {UPGRADE_CODES_1, UPGRADE_CODES_2})
            DeleteKeyTree(location + upgradeCode->packed);
}

void InstallerTest::SetUp()
{
    RegistryTest::SetUp();
    RemoveFixtures();
}

void InstallerTest::TearDown()
{
    RemoveFixtures();
    RegistryTest::TearDown();
}

void InstallerTest::Install(const Product &product, const std::wstring &component, const Product *sharer)
{
    add_sz(HKEY_LOCAL_MACHINE, FEATURES + product.packed, L"Complete", L"");
    add_sz(HKEY_LOCAL_MACHINE, PRODUCTS + product.packed, L"ProductName", L"VexaLune CSP");
    add_sz(HKEY_LOCAL_MACHINE, USERDATA_PRODUCTS + product.packed + L"\\InstallProperties", L"DisplayName",
           L"VexaLune CSP");
    add_sz(HKEY_LOCAL_MACHINE, COMPONENTS + component, product.packed, L"C:\\Program Files\\VexaLune\\vxcsp.dll");
    if (sharer)
        add_sz(HKEY_LOCAL_MACHINE, COMPONENTS + component, sharer->packed, L"C:\\Program Files\\VexaLune\\vxcsp.dll");
    add_sz(HKEY_LOCAL_MACHINE, UNINSTALL + product.code, L"DisplayName", L"VexaLune CSP");
    add_sz(HKEY_LOCAL_MACHINE, FOLDERS, FolderOf(product), L"");
}

void InstallerTest::ListUnder(const Product &upgradeCode, const Product &product, const std::wstring &location)
{
    add_sz(HKEY_LOCAL_MACHINE, location + upgradeCode.packed, product.packed, L"");
}

Printed InstallerTest::Remove(const Product &product, DWORD mode, DWORD warn)
{
    return Capture([&] { return RemoveProduct(product.code.c_str(), mode, warn); });
}

Printed InstallerTest::RemoveByUpgrade(const Product &upgradeCode, DWORD mode, DWORD warn)
{
    return Capture([&] { return RemoveByUpgradeCode(upgradeCode.code.c_str(), mode, warn); });
}

void InstallerTest::VerifyInstallation(const char *file, int line, const Product &product,
                                       const std::wstring &component, bool installed)
{
    testing::ScopedTrace trace(file, line,
                               installed ? "the product should be installed" : "the product should be removed");
    for (const std::wstring &key :
         {FEATURES + product.packed, PRODUCTS + product.packed, USERDATA_PRODUCTS + product.packed,
          COMPONENTS + component, UNINSTALL + product.code})
        if (installed)
            verify_key(HKEY_LOCAL_MACHINE, key);
        else
            verify_key_nonexist(HKEY_LOCAL_MACHINE, key);
    HKEY folders;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, FOLDERS.c_str(), 0, KEY_READ, &folders));
    EXPECT_EQ(installed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND,
              RegQueryValueExW(folders, FolderOf(product).c_str(), nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(folders);
}
