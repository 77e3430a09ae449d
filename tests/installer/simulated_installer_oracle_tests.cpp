// The product's removals, whose searches answer from keys read once per scan,
// against the straightforward procedure (plain_removal.h) on generated
// machines: the same results, output, reports and registry, case by case.
// VXCLEAN_ORACLE_CASES asks for more machines, VXCLEAN_ORACLE_SEED for
// another first seed; machine i is drawn from seed + i.
#include <cstdlib>
#include <cwctype>
#include <sstream>

#include <gtest/gtest.h>
#include <winsim/control.h>

#include "driver/process_state.h"
#include "generated_machine.h"
#include "installer/installer.h"
#include "output_capture.h"
#include "plain_removal.h"

namespace {

#ifdef __SANITIZE_ADDRESS__
// A machine costs some twenty times as much under the address sanitizer,
// whose run is there for memory faults: it takes the first 200.
const unsigned DEFAULT_CASES = 200;
#else
const unsigned DEFAULT_CASES = 1000;
#endif
const unsigned DEFAULT_SEED = 1000;
const unsigned DIFFERENCES_SHOWN = 5;

unsigned Setting(const char *name, unsigned fallback)
{
    const char *text = std::getenv(name);
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

// A report names the source line it comes from; the two procedures report
// the same failure from different lines.
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

struct Removed {
    std::wstring results;  // of each call, and whether a restart is needed
    std::wstring out;
    std::wstring err;
    std::wstring registry;
};

// What the registry plan does with the machine's lists: one pass, by upgrade
// code and then by product code, within a scan unless plain.
Removed Remove(unsigned seed, bool plain)
{
    GeneratedMachine machine = GenerateMachine(seed);
    RegViewFlag = machine.view;
    RebootNeeded = 0;
    SetLastError(ERROR_SUCCESS);
    Removed outcome;
    OutputCapture capture;
    if (!plain)
        BeginInstallerScan();
    for (const std::wstring &code : machine.upgradeCodes) {
        DWORD result = plain ? PlainRemoveByUpgradeCode(code.c_str(), machine.mode, machine.warn)
                             : RemoveByUpgradeCode(code.c_str(), machine.mode, machine.warn);
        outcome.results += code + L" " + std::to_wstring(result) + L"\n";
    }
    for (const std::wstring &code : machine.productCodes) {
        DWORD result = plain ? PlainRemoveProduct(code.c_str(), machine.mode, machine.warn)
                             : RemoveProduct(code.c_str(), machine.mode, machine.warn);
        outcome.results += code + L" " + std::to_wstring(result) + L"\n";
    }
    if (!plain)
        EndInstallerScan();
    outcome.results += L"restart " + std::to_wstring(RebootNeeded) + L"\n";
    outcome.out = capture.Out();
    outcome.err = WithoutLineNumbers(capture.Err());
    outcome.registry = winsim::ExportRegistry();
    RegViewFlag = 0;
    return outcome;
}

std::string Shown(const std::wstring &line)
{
    std::string text(line.begin(), line.begin() + static_cast<long>(std::min<size_t>(line.size(), 200)));
    return line.size() > 200 ? text + "..." : text;
}

// The first line where the texts part, with a few lines before it.
void DescribeDifference(std::ostringstream &description, const char *what, const std::wstring &plain,
                        const std::wstring &scanned)
{
    if (plain == scanned)
        return;
    std::wistringstream plainLines(plain), scannedLines(scanned);
    std::vector<std::wstring> before;
    std::wstring expected, actual;
    for (unsigned line = 1;; ++line) {
        bool more = static_cast<bool>(std::getline(plainLines, expected));
        more |= static_cast<bool>(std::getline(scannedLines, actual));
        if (expected != actual || !more) {
            description << "\n" << what << " differ at line " << line << ", after:\n";
            for (const std::wstring &shown : before)
                description << "    " << Shown(shown) << "\n";
            description << "  straightforward: " << Shown(expected) << "\n  scan:            " << Shown(actual);
            return;
        }
        before.push_back(expected);
        if (before.size() > 3)
            before.erase(before.begin());
        expected.clear();
        actual.clear();
    }
}

}  // namespace

TEST(InstallerOracleTest, ScansPrintAndDoWhatTheStraightforwardProcedureDoes)
{
    unsigned cases = Setting("VXCLEAN_ORACLE_CASES", DEFAULT_CASES);
    unsigned firstSeed = Setting("VXCLEAN_ORACLE_SEED", DEFAULT_SEED);
    unsigned differing = 0;
    for (unsigned i = 0; i < cases && differing < DIFFERENCES_SHOWN; ++i) {
        unsigned seed = firstSeed + i;
        Removed plain = Remove(seed, true);
        Removed scanned = Remove(seed, false);
        std::ostringstream description;
        DescribeDifference(description, "results", plain.results, scanned.results);
        DescribeDifference(description, "standard output", plain.out, scanned.out);
        DescribeDifference(description, "reports", plain.err, scanned.err);
        DescribeDifference(description, "registries", plain.registry, scanned.registry);
        if (description.str().empty())
            continue;
        ++differing;
        GeneratedMachine machine = GenerateMachine(seed);
        std::string hardCases;
        for (const std::string &hardCase : machine.hardCases)
            hardCases += "\n  " + hardCase;
        ADD_FAILURE() << "machine " << i << ", seed " << seed << " (VXCLEAN_ORACLE_SEED=" << seed
                      << " VXCLEAN_ORACLE_CASES=1): mode " << machine.mode << ", warn " << machine.warn << ", view "
                      << machine.view << ", hard cases:" << hardCases << description.str();
    }
}
