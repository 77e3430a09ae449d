#include "installer_scan_tests.h"

namespace {

const std::wstring C1 = L"5A1B2C3D4E5F60718293A4B5C6D7E8F9";
const std::wstring C2 = L"5A1B2C3D4E5F60718293A4B5C6D7E8FA";

size_t Occurrences(const std::wstring &text, const std::wstring &part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

TEST_F(InstallerScanTest, RemovalsThatShareComponentsAndUpgradeCodes)
{
    // Two products sharing one component, P1 under both upgrade codes and P2
    // under the first: what a family of products leaves.
    auto setUp = [this] {
        Install(P1, C1, &P2);
        Install(P2, C2);
        ListUnder(U1, P1, UPGRADE_CODES_1);
        ListUnder(U1, P2, UPGRADE_CODES_1);
        ListUnder(U2, P1, UPGRADE_CODES_2);
    };
    verify_same_in_and_out_of_scan(setUp, {{&U1, true, 1, 0}, {&P1, false, 1, 0}, {&P2, false, 1, 0}});
    verify_same_in_and_out_of_scan(setUp, {{&P2, false, 1, 1}, {&P1, false, 1, 1}, {&U2, true, 1, 1}});
    verify_same_in_and_out_of_scan(setUp, {{&U1, true, 0, 1}, {&U2, true, 0, 1}, {&P1, false, 0, 1}});

    // The shared component goes with the first product that names it; the
    // second finds it gone, as it would in a fresh read.
    Outcome scanned = Run(true, setUp, {{&P1, false, 1, 0}, {&P2, false, 1, 0}});
    EXPECT_EQ(1u, Occurrences(scanned.printed, L"  " + C1 + L"\n  ^^^ lpValNameMatch\n"));
    EXPECT_EQ(1u, Occurrences(scanned.printed, L"  " + C2 + L"\n  ^^^ lpValNameMatch\n"));
    verify_removed(P1, C1);
    verify_removed(P2, C2);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, UPGRADE_CODES_1 + U1.packed);
    verify_sz(HKEY_LOCAL_MACHINE, UPGRADE_CODES_2 + U2.packed, P1.packed, L"");
}

TEST_F(InstallerScanTest, ARefusedComponentKeyIsAnnouncedByEverySearch)
{
    auto setUp = [this] {
        Install(P1, C1);
        add_sz(HKEY_LOCAL_MACHINE, COMPONENTS + C2, P2.packed, L"C:\\other.dll");
        deny_everyone(HKEY_LOCAL_MACHINE, COMPONENTS + C2);
    };
    verify_same_in_and_out_of_scan(setUp, {{&P1, false, 1, 0}, {&P2, false, 1, 0}, {&P1, false, 1, 1}});
    Outcome scanned = Run(true, setUp, {{&P1, false, 1, 0}, {&P2, false, 1, 0}});
    EXPECT_EQ(2u, Occurrences(scanned.printed, L"  Access denied (skipping): " + C2 + L"\n"));
    verify_open_denied(HKEY_LOCAL_MACHINE, COMPONENTS + C2);
}

TEST_F(InstallerScanTest, AComponentKeyThatIsALinkIsNeverFollowed)
{
    auto setUp = [this] {
        Install(P1, C1);
        add_sz(HKEY_LOCAL_MACHINE, std::wstring(TEST_SOFTWARE) + L"\\Target", P2.packed, L"C:\\other.dll");
        add_link(COMPONENTS + C2, std::wstring(TEST_SOFTWARE) + L"\\Target");
    };
    verify_same_in_and_out_of_scan(setUp, {{&P2, false, 1, 0}, {&P1, false, 1, 0}, {&P2, false, 1, 0}});
    Outcome scanned = Run(true, setUp, {{&P2, false, 1, 0}, {&P1, false, 1, 0}});
    EXPECT_EQ(2u, Occurrences(scanned.printed, L"  " + C2 + L" (link, not followed)\n"));
    verify_link(COMPONENTS + C2);
    verify_sz(HKEY_LOCAL_MACHINE, std::wstring(TEST_SOFTWARE) + L"\\Target", P2.packed, L"C:\\other.dll");
}

TEST_F(InstallerScanTest, NamesOf255CharactersAreListedWipedAndSearched)
{
    const std::wstring longest = COMPONENT_NAMES.back();
    auto setUp = [this, longest] {
        Install(P1, C1);
        add_sz(HKEY_LOCAL_MACHINE, FEATURES + P1.packed + L"\\" + longest, L"Feature", L"");
        add_sz(HKEY_LOCAL_MACHINE, COMPONENTS + longest, P1.packed, L"C:\\long.dll");
        ListUnder(U1, P1, UPGRADE_CODES_1);
    };
    verify_same_in_and_out_of_scan(setUp, {{&U1, true, 0, 1}, {&P1, false, 1, 0}});
    Outcome scanned = Run(true, setUp, {{&P1, false, 1, 0}});
    EXPECT_NE(std::wstring::npos,
              scanned.printed.find(L"  Key: " + FEATURES + P1.packed + L"\\" + longest.substr(0, 150)));
    EXPECT_NE(std::wstring::npos, scanned.printed.find(L"  " + longest + L"\n  ^^^ lpValNameMatch\n"));
    EXPECT_EQ(std::wstring::npos, scanned.printed.find(L"RegEnum"));
    verify_removed(P1, C1);
    verify_key_nonexist(HKEY_LOCAL_MACHINE, COMPONENTS + longest);
}
