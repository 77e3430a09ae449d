// Removals made once in their straightforward form, the engine's calls one
// after another, and once within an installer scan, which reads the
// Components, Folders and UpgradeCodes keys once: both must print the same
// and leave the same.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "installer_fixture.h"

struct Removal {
    const Product *code;
    bool byUpgradeCode;  // RemoveByUpgradeCode, else RemoveProduct
    DWORD mode;
    DWORD warn;
};

struct Outcome {
    std::wstring printed;   // results, output and reports, in order
    std::wstring registry;  // the installer keys the removals touch
};

class InstallerScanTest : public InstallerTest {
  protected:
    Printed Scanned(const Removal &removal);
    Printed Plain(const Removal &removal);
    // Sets the machine up, makes the removals (in a scan, or in their
    // straightforward form), and says what came of them.
    Outcome Run(bool inScan, const std::function<void()> &setUp, const std::vector<Removal> &removals);
    // Registry calls of five removals (two upgrade codes, three products) on a
    // machine with that many other component keys, one value each.
    unsigned CallsWith(int others, bool inScan);
    void VerifySameInAndOutOfScan(const char *file, int line, const std::function<void()> &setUp,
                                  const std::vector<Removal> &removals);
};

// A report names the source line it comes from; two ways of doing the same
// may report the same failure from different lines.
std::wstring WithoutLineNumbers(const std::wstring &text);

#define verify_same_in_and_out_of_scan(...) VerifySameInAndOutOfScan(__FILE__, __LINE__, __VA_ARGS__)
