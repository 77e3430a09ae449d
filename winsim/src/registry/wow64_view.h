// The registry as our 32-bit process sees it on 64-bit Windows.
#pragma once

#include "reg_key.h"

namespace winsim {

// Where a path lands in the view that the access mask selects: the 64-bit
// view with KEY_WOW64_64KEY, else the 32-bit one, in which most of
// HKLM\SOFTWARE and some of the classes are redirected to Wow6432Node.
// A 32-bit machine has one view.
KeyPath ViewPath(const KeyPath &path, REGSAM sam);

}  // namespace winsim
