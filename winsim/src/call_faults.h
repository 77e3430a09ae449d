// Counting of the simulated calls, and the faults a test plants in them.
#pragma once

#include "winsim/windows.h"

namespace winsim {

// Counts the call; the planted fault's code when this call is to fail, else 0.
LONG EnterCall(const char *function);

}  // namespace winsim
