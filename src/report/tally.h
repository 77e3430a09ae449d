// What the run did, counted where it happened, for the summary at its end.
#pragma once

#include "win32api.h"

enum TallyItem {
    TALLY_KEYS,             // registry keys (and links) deleted
    TALLY_VALUES,           // registry values deleted on their own
    TALLY_VALUES_IN_KEYS,   // registry values that went with their keys
    TALLY_MULTI_STRINGS,    // shared lists rewritten without the products, each once
    TALLY_FILES,            // files deleted
    TALLY_FOLDERS,          // folders deleted
    TALLY_DRIVER_PACKAGES,  // staged driver packages removed
    TALLY_AT_RESTART,       // files and folders left to be deleted at restart
    TALLY_FAILURES,         // failures, each once however often it is reported
    TALLY_RESIDUE,          // residue reported with warn
    TALLY_ITEMS
};

void Tally(TallyItem item);
void TallyAdd(TallyItem item, DWORD count);
DWORD TallyOf(TallyItem item);
void ResetTally();
