// The installer removals done the straightforward way: the registry engine's
// calls one after another, and searches that read every key afresh, one key
// at a time. What the product's removals, which answer their searches from
// keys read once, must print and do.
#pragma once

#include "win32api.h"

DWORD PlainRemoveProduct(LPCWSTR lpProductCode, DWORD dwMode, DWORD fWarn);
DWORD PlainRemoveByUpgradeCode(LPCWSTR lpUpgradeCode, DWORD dwMode, DWORD fWarn);
