#include <cwctype>

#include "installer/installer.h"
#include "installer_scan_tests.h"
#include "output_capture.h"
#include "plain_removal.h"

namespace {

// Every installer key the removals may touch, values and data included.
std::wstring InstallerKeys()
{
    std::wstring text;
    for (const std::wstring &location :
         {FEATURES, PRODUCTS, USERDATA_PRODUCTS, COMPONENTS, UNINSTALL, UPGRADE_CODES_1, UPGRADE_CODES_2, FOLDERS})
        text += KeyTree(HKEY_LOCAL_MACHINE, location.substr(0, location.find_last_not_of(L'\\') + 1), 0, false);
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
