#include "installer_fixture.h"

namespace {

const std::wstring C1 = L"5A1B2C3D4E5F60718293A4B5C6D7E8F9";
const std::wstring C2 = L"5A1B2C3D4E5F60718293A4B5C6D7E8FA";

}  // namespace

typedef InstallerTest RemoveProductTest;

TEST_F(RemoveProductTest, AProductUnderTwoUpgradeCodesLeavesTheSecondListing)
{
    Install(P1, C1);
    ListUnder(U1, P1, UPGRADE_CODES_1);
    ListUnder(U2, P1, UPGRADE_CODES_1);
    EXPECT_EQ(0u, Remove(P1, 1, 0).result);
    verify_removed(P1, C1);
    verify_key(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed);
    verify_sz(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U2.packed, P1.packed, L"");
}

typedef InstallerTest RemoveByUpgradeCodeTest;

TEST_F(RemoveByUpgradeCodeTest, TheFirstProductGoesWithTheUpgradeCodeTheOthersStay)
{
    Install(P1, C1);
    Install(P2, C2);
    ListUnder(U1, P1, UPGRADE_CODES_1);
    ListUnder(U1, P2, UPGRADE_CODES_1);
    Printed printed = RemoveByUpgrade(U1, 1, 0);
    EXPECT_EQ(0u, printed.result);
    verify_removed(P1, C1);
    verify_installed(P2, C2);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed);
}

TEST_F(RemoveByUpgradeCodeTest, AnEmptyFirstLocationEndsTheSearchAndGoesAsResidue)
{
    Install(P1, C1);
    add_key(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed);
    ListUnder(U1, P1, UPGRADE_CODES_2);
    Printed printed = RemoveByUpgrade(U1, 1, 1);
    EXPECT_NE(0u, printed.result);
    EXPECT_EQ(std::wstring::npos, printed.out.find(L"lists product"));
    verify_installed(P1, C1);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed);
    verify_sz(HKEY_LOCAL_MACHINE, UPGRADE_CODES_2 + U1.packed, P1.packed, L"");
}

TEST_F(RemoveByUpgradeCodeTest, AnUpgradeCodeLeftEmptyByAnInterruptedRunGoes)
{
    add_key(HKEY_LOCAL_MACHINE, UPGRADE_CODES_2 + U2.packed);
    Printed shown = RemoveByUpgrade(U2, 0, 0);
    EXPECT_EQ(0u, shown.result);
    verify_key(HKEY_LOCAL_MACHINE, UPGRADE_CODES_2 + U2.packed);
    EXPECT_EQ(0u, RemoveByUpgrade(U2, 1, 0).result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, UPGRADE_CODES_2 + U2.packed);
}

TEST_F(RemoveByUpgradeCodeTest, ADeniedFirstLocationLeavesTheSecondToAnswer)
{
    Install(P3, C1);
    ListUnder(U1, P3, UPGRADE_CODES_1);
    ListUnder(U1, P3, UPGRADE_CODES_2);
    deny_everyone(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed);
    Printed printed = RemoveByUpgrade(U1, 1, 0);
    EXPECT_EQ(0u, printed.result);
    verify_removed(P3, C1);
    EXPECT_NE(std::wstring::npos,
              printed.out.find(L"Access denied (skipping): " + UPGRADE_CODES_1 + U1.packed + L"\n"));
    verify_open_denied(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, UPGRADE_CODES_2 + U1.packed);
}

TEST_F(RemoveByUpgradeCodeTest, MalformedCodesTouchNothingAndAnUnknownUpgradeCodeIsNoFailure)
{
    EXPECT_EQ(0u, RemoveByUpgrade(U2, 1, 1).result);
    for (const Printed &malformed : {Remove(Product{L"6E8A4C10-1D3B-4F52-9A07-B2C1D4E5F601", L""}, 1, 0),
                                     RemoveByUpgrade(Product{L"{nonsense}", L""}, 1, 1)}) {
        EXPECT_NE(0u, malformed.result);
        EXPECT_EQ(L"", malformed.out);
    }
}
