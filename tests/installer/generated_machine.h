// Machines with installer registrations drawn at random from a seed:
// component keys, some naming two products, products under one to three
// upgrade codes, installer folders and Uninstall entries, and hard cases
// among them: names of 255 and 16,383 characters, upgrade-code subkeys whose
// names are no GUID, refused keys, links, and calls that fail on one key
// whenever they are made.
#pragma once

#include <string>
#include <vector>

#include "win32api.h"

struct GeneratedMachine {
    DWORD view;  // the RegViewFlag to remove in
    DWORD mode;
    DWORD warn;
    std::vector<std::wstring> upgradeCodes;  // braced, to remove by
    std::vector<std::wstring> productCodes;
    std::vector<std::string> hardCases;  // what was injected, to tell on a failure
};

// Starts a fresh simulated machine (no drive) and fills it: the same seed, the same
// machine and the same removals.
GeneratedMachine GenerateMachine(unsigned seed);
