// A realistic administrator's machine for the benchmark: the product family
// installed beside N installer component keys (1 to 5 values each, packed
// names, a few shared by several products) and N/20 upgrade codes with 1 to
// 3 products each, with their Uninstall entries and installer folders. Some
// of those keys also name products of the family, as shared components and
// upgrade codes do. Options: --32-bit for a 32-bit Windows.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <winsim/control.h>

#include "installed_family.h"
#include "installer/installer.h"
#include "plan/plan_data.h"
#include "registry_helpers.h"

namespace {

const std::wstring INSTALLER = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\";
const std::wstring COMPONENTS = INSTALLER + L"UserData\\S-1-5-18\\Components\\";
const std::wstring UNINSTALL = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

unsigned long long state = 88172645463325252ULL;

unsigned Next(unsigned bound)
{
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<unsigned>(state % bound);
}

// 32 hexadecimal digits, as installer key and value names are.
std::wstring PackedName()
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring name;
    for (int i = 0; i < 32; ++i)
        name += digits[Next(16)];
    return name;
}

std::wstring Braced(const std::wstring &packed)
{
    return L"{" + packed.substr(0, 8) + L"-" + packed.substr(8, 4) + L"-" + packed.substr(12, 4) + L"-" +
           packed.substr(16, 4) + L"-" + packed.substr(20, 12) + L"}";
}

std::wstring FamilyProduct(unsigned index)
{
    GUID product;
    IIDFromString(ProductCodeTable[index % 60], &product);
    wchar_t packed[38];
    BEStringFromCLSID(packed, product);
    return packed;
}

}  // namespace

int main(int argc, char **argv)
{
    bool windows32 = argc == 4 && std::strcmp(argv[1], "--32-bit") == 0;
    if (argc != 3 + windows32) {
        std::fprintf(stderr, "usage: %s [--32-bit] component-keys machine-folder\n", argv[0]);
        return 2;
    }
    unsigned components = static_cast<unsigned>(std::strtoul(argv[1 + windows32], nullptr, 10));
    std::string folder = argv[2 + windows32];
    winsim::ResetMachine();
    winsim::SetMachineKind(windows32 ? winsim::MachineKind::Windows32 : winsim::MachineKind::Windows64);
    winsim::SetMachineFolder(folder);
    InstallBystanders();
    InstallProductFamily();

    // Two products at least, whom even a machine of a few component keys lists.
    std::vector<std::wstring> products;
    for (unsigned i = 0; i < std::max(2u, components / 20 * 2); ++i)
        products.push_back(PackedName());
    for (unsigned i = 0; i < components; ++i) {
        std::wstring key = COMPONENTS + PackedName();
        unsigned values = 1 + Next(i % 100 == 0 ? 5 : 2);
        for (unsigned v = 0; v < values; ++v)
            add_sz(HKEY_LOCAL_MACHINE, key, products[Next(static_cast<unsigned>(products.size()))],
                   L"C:\\Program Files\\Vendor\\file" + std::to_wstring(i) + L".dll");
        // Shared with one or two products of the family.
        if (i % 97 == 5)
            add_sz(HKEY_LOCAL_MACHINE, key, FamilyProduct(i / 97), L"C:\\Windows\\system32\\shared.dll");
        if (i % 194 == 5)
            add_sz(HKEY_LOCAL_MACHINE, key, FamilyProduct(i / 97 + 7), L"C:\\Windows\\system32\\shared.dll");
    }
    for (unsigned i = 0; i < components / 20; ++i) {
        std::wstring upgradeCode = PackedName();
        unsigned listed = 1 + Next(3);
        for (unsigned p = 0; p < listed; ++p) {
            // Now and then a product of the family, listed under another upgrade code too.
            const std::wstring product =
                i % 41 == 3 && p == 0 ? FamilyProduct(i / 41) : products[Next(static_cast<unsigned>(products.size()))];
            add_sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Installer\\UpgradeCodes\\" + upgradeCode, product, L"");
            add_sz(HKEY_LOCAL_MACHINE, INSTALLER + L"UpgradeCodes\\" + upgradeCode, product, L"");
        }
    }
    for (const std::wstring &product : products) {
        add_sz(HKEY_LOCAL_MACHINE, UNINSTALL + Braced(product), L"DisplayName", L"Another product");
        add_sz(HKEY_LOCAL_MACHINE, INSTALLER + L"Folders", L"C:\\Windows\\Installer\\" + Braced(product) + L"\\", L"");
    }
    if (!winsim::SaveMachineFolder(folder)) {
        std::fprintf(stderr, "cannot write the machine to %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
