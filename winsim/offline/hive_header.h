// Whether a hive file can be used as it is on disk.
#pragma once

#include <string>

namespace winsim {

// A hive whose two header sequence numbers differ was not completely written;
// with its logs beside it, changes it lacks are in them, so it is refused
// until they are replayed. A dirty hive without logs is all there is and is
// used. True when the hive may be used; false with a reason when refused.
bool HiveUsable(const std::string &hive, std::wstring *reason);

}  // namespace winsim
