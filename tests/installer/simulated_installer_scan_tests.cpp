// Only the simulated machine can make one deletion fail on demand and count
// the registry calls a scan makes.
#include <winsim/control.h>

#include "installer/installer.h"
#include "installer_fixture.h"

namespace {

const std::wstring C1 = L"5A1B2C3D4E5F60718293A4B5C6D7E8F9";

std::wstring OtherComponent(int i)
{
    wchar_t name[33];
    swprintf(name, 33, L"7E57%028X", i);
    return COMPONENTS + name;
}

unsigned RegistryCalls()
{
    unsigned calls = 0;
    for (const auto &count : winsim::CallCounts())
        if (count.first.rfind("Reg", 0) == 0)
            calls += count.second;
    return calls;
}

class InstallerScanTest : public InstallerTest {
  protected:
    // Registry calls of five removals (two upgrade codes, three products) on a
    // machine with that many other component keys, one value each.
    unsigned CallsWith(int others, bool inScan);
};

}  // namespace

// The scans against the straightforward removals on failing deletions are the
// oracle's (simulated_installer_oracle_tests.cpp); here, what the scan prints.
TEST_F(InstallerScanTest, AComponentKeyThatCouldNotBeDeletedIsFoundAgainByTheNextProduct)
{
    add_sz(HKEY_LOCAL_MACHINE, COMPONENTS + C1, P1.packed, L"C:\\shared.dll");
    add_sz(HKEY_LOCAL_MACHINE, COMPONENTS + C1, P2.packed, L"C:\\shared.dll");
    winsim::FailCall("RegDeleteKeyExW", winsim::CallCount("RegDeleteKeyExW") + 1, ERROR_ACCESS_DENIED);
    BeginInstallerScan();
    Printed first = Remove(P1, 1, 0);
    Printed second = Remove(P2, 1, 0);
    EndInstallerScan();
    const std::wstring match = L"  " + C1 + L"\n  ^^^ lpValNameMatch\n";
    EXPECT_NE(std::wstring::npos, first.err.find(L"Can not RecurseWipeRegTree: " + C1));
    EXPECT_NE(std::wstring::npos, first.out.find(match));
    EXPECT_NE(std::wstring::npos, second.out.find(match));
    verify_key_nonexist(HKEY_LOCAL_MACHINE, COMPONENTS + C1);
}

TEST_F(InstallerScanTest, AComponentKeyIsReadAgainWhenTheTextOfTheScanMustGrow)
{
    // 61 keys of 66 characters (name and one value name, each ended) and one
    // of 70 fill the scan's first text block of 4096 characters exactly, so
    // reading the removed key again moves the text; under the address
    // sanitizer a name left pointing into the old text is caught.
    add_sz(HKEY_LOCAL_MACHINE, COMPONENTS + C1, P1.packed, L"C:\\shared.dll");
    for (int i = 0; i < 60; ++i)
        add_sz(HKEY_LOCAL_MACHINE, OtherComponent(i), L"0123456789ABCDEF0123456789ABCDEF", L"C:\\other.dll");
    add_sz(HKEY_LOCAL_MACHINE, OtherComponent(60), std::wstring(36, L'A'), L"C:\\other.dll");
    BeginInstallerScan();
    Printed printed = Remove(P1, 1, 0);
    EndInstallerScan();
    EXPECT_EQ(0u, printed.result);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, COMPONENTS + C1);
    verify_key(HKEY_LOCAL_MACHINE, OtherComponent(60));
    for (int i = 0; i <= 60; ++i)
        RemoveTestTree(HKEY_LOCAL_MACHINE, OtherComponent(i));
}

TEST_F(InstallerScanTest, AScanReadsEachComponentKeyOnceWhateverTheNumberOfProducts)
{
    // Each further component key costs a scan its enumeration, open, value
    // name, end of values and close, once for all five removals.
    EXPECT_EQ(5u * 100, CallsWith(400, true) - CallsWith(300, true));
    EXPECT_GT(CallsWith(400, false) - CallsWith(300, false), 3u * 5 * 100);
}

unsigned InstallerScanTest::CallsWith(int others, bool inScan)
{
    RemoveFixtures();
    for (int i = 0; i < others; ++i)
        add_sz(HKEY_LOCAL_MACHINE, OtherComponent(i), L"0123456789ABCDEF0123456789ABCDEF", L"C:\\other.dll");
    Install(P1, C1);
    ListUnder(U1, P1, UPGRADE_CODES_1);
    ListUnder(U2, P2, UPGRADE_CODES_2);

    unsigned before = RegistryCalls();
    if (inScan)
        BeginInstallerScan();
    RemoveByUpgrade(U1, 1, 0);
    RemoveByUpgrade(U2, 1, 0);
    for (const Product *product : {&P1, &P2, &P3})
        Remove(*product, 1, 0);
    if (inScan)
        EndInstallerScan();
    unsigned calls = RegistryCalls() - before;

    for (int i = 0; i < others; ++i)
        RemoveTestTree(HKEY_LOCAL_MACHINE, OtherComponent(i));
    return calls;
}

// A listing steps over what it cannot read, but says so: the product may be
// listed there, so its upgrade code's keys stay. An error about the key
// itself ends the listing instead of meeting every further index.
TEST_F(InstallerScanTest, UpgradeCodeListingsReportWhatTheyStepOverAndEndWhenTheKeyIsGone)
{
    Install(P1, C1);
    ListUnder(U1, P1, UPGRADE_CODES_1);
    add_sz(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed, L"unreadable", L"");
    ASSERT_TRUE(winsim::FailKeyCall("RegEnumValueW", UPGRADE_CODES_1 + U1.packed, 1450, L"unreadable"));
    Printed printed = Remove(P1, 1, 0);
    EXPECT_TRUE(HasReport(printed.err, L"RegEnumValue failed: SUCCESS or NO_MORE_ITEMS expected.", 1450));
    EXPECT_NE(0u, printed.result);
    verify_key(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed);

    ASSERT_TRUE(winsim::FailKeyCall("RegEnumKeyExW", UPGRADE_CODES_1, ERROR_KEY_DELETED));
    printed = Remove(P2, 1, 0);
    EXPECT_TRUE(HasReport(printed.err, L"RegEnumKeyEx failed: SUCCESS or NO_MORE_ITEMS expected.", ERROR_KEY_DELETED));
}
