// HKEY_CLASSES_ROOT as Windows shows it: the user's classes, which are
// HKCU\Software\Classes, merged over the machine's, HKLM\SOFTWARE\Classes.
#pragma once

#include "reg_key.h"

namespace winsim {

// Where a path below HKEY_CLASSES_ROOT lands: the handles of the merged view
// name their keys by the machine's path, and a key that the user's classes
// hold at the same place, in the view the access mask selects, is the
// user's. Anything else goes to the machine's classes, new keys included.
KeyPath MergedClassesPath(const KeyPath &machinePath, REGSAM sam);

}  // namespace winsim
