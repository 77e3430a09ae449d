// Counting of the simulated calls, and the faults a test plants in them.
#pragma once

#include <string>

#include "registry/reg_key.h"
#include "winsim/windows.h"

namespace winsim {

// Counts the call; the planted fault's code when this call is to fail, else 0.
LONG EnterCall(const char *function);
// The code of a failure planted on this call of the function on the key, for
// a listing or a value's deletion on the entry it meets; else 0.
LONG KeyFault(const char *function, const RegKey &key, const std::wstring &entry = std::wstring());

}  // namespace winsim
