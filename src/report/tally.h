// What the run did, counted where it happened, for the summary at its end.
#pragma once

#include "win32api.h"

enum TallyItem {
    TALLY_KEYS,             // registry keys (and links) deleted
    TALLY_VALUES,           // registry values deleted
    TALLY_MULTI_STRINGS,    // shared lists rewritten without the products
    TALLY_FILES,            // files deleted
    TALLY_FOLDERS,          // folders deleted
    TALLY_DRIVER_PACKAGES,  // staged driver packages removed
    TALLY_AT_RESTART,       // files and folders left to be deleted at restart
    TALLY_FAILURES,         // failures reported
    TALLY_RESIDUE,          // residue reported with warn
    TALLY_ITEMS
};

void Tally(TallyItem item);
DWORD TallyOf(TallyItem item);
void ResetTally();
