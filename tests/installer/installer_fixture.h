// Installer registrations written as Windows Installer writes them: packed
// product and upgrade codes, the S-1-5-18 user data, components that hold
// values of several products, the Uninstall entry and the installer folders.
#pragma once

#include <string>
#include <vector>

#include "registry_fixture.h"

struct Product {
    std::wstring code;    // registry form, {XXXXXXXX-...}
    std::wstring packed;  // its installer key name
};

// Products and upgrade codes of the tests, with their packed forms worked out
// by hand, so that the codec under test does not check itself.
extern const Product P1, P2, P3;
extern const Product U1, U2;

extern const std::wstring FEATURES, PRODUCTS, USERDATA_PRODUCTS, COMPONENTS, UNINSTALL, FOLDERS;
extern const std::wstring UPGRADE_CODES_1, UPGRADE_CODES_2;
// The component keys the tests use (the last named with the longest name a
// key may have, 255 characters), removed before and after each test.
extern const std::vector<std::wstring> COMPONENT_NAMES;

class InstallerTest : public RegistryTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Everything an installation of the product leaves; the component key is
    // shared with `sharer` when given.
    void Install(const Product &product, const std::wstring &component, const Product *sharer = nullptr);
    void ListUnder(const Product &upgradeCode, const Product &product, const std::wstring &location);
    Printed Remove(const Product &product, DWORD mode, DWORD warn);
    Printed RemoveByUpgrade(const Product &upgradeCode, DWORD mode, DWORD warn);
    // Every key and the folder value of the installation there, or none.
    void VerifyInstallation(const char *file, int line, const Product &product, const std::wstring &component,
                            bool installed);
    void RemoveFixtures();
};

#define verify_installed(...) VerifyInstallation(__FILE__, __LINE__, __VA_ARGS__, true)
#define verify_removed(...) VerifyInstallation(__FILE__, __LINE__, __VA_ARGS__, false)
