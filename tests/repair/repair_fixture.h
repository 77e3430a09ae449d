// The repairs work on keys that exist on every Windows (and under Wine): the
// values they change are saved before each test and put back after it.
#pragma once

#include <string>
#include <vector>

#include "registry_fixture.h"

extern const wchar_t LSA_KEY[];
extern const wchar_t REVOCATION_KEY[];

// A multi-string of these elements with the closing NUL.
std::vector<BYTE> MultiSz(const std::vector<std::wstring> &elements);
// The characters of a literal exactly, its inner NULs included and its
// terminator left out: Raw(L"a\0b") is three characters.
template <size_t N> std::vector<BYTE> Raw(const wchar_t (&text)[N])
{
    const BYTE *bytes = reinterpret_cast<const BYTE *>(text);
    return std::vector<BYTE>(bytes, bytes + (N - 1) * sizeof(wchar_t));
}

struct SavedValue {
    std::wstring path;
    std::wstring name;
    bool keyExisted;
    bool valueExisted;
    DWORD type;
    std::vector<BYTE> data;
};

class RepairTest : public RegistryTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    Printed Run(DWORD (*operation)(DWORD, DWORD), DWORD mode, DWORD warn);
    // Exactly these bytes, also without a terminator: Windows would count a
    // NUL found just past the data as one.
    void SetPackages(const std::vector<BYTE> &data, DWORD type = REG_MULTI_SZ);
    void SetProvider(const std::vector<BYTE> &data, DWORD type = REG_MULTI_SZ);

  private:
    SavedValue packages_;
    SavedValue provider_;
};

#define verify_packages(...) verify_reg(HKEY_LOCAL_MACHINE, LSA_KEY, L"Security Packages", REG_MULTI_SZ, __VA_ARGS__)
#define verify_provider(...) verify_reg(HKEY_LOCAL_MACHINE, REVOCATION_KEY, L"Dll", __VA_ARGS__)
