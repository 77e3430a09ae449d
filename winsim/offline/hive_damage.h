// A hive file that hivex will not open, or a key in it that hivex cannot
// read, explained in words instead of the error numbers hivex sets.
#pragma once

#include <string>

namespace winsim {

// Why hivex_open refused the file, having set this errno: the system's text
// for a failure to read it (missing, no permission, an I/O error), otherwise
// what is wrong with it as a registry hive ("it is empty", "it is not a
// registry hive ...", "it is cut short: ...", "it is damaged: ...").
std::wstring WhyHiveRefused(const std::string &file, int error);

// Why hivex could not read a key's subkeys, values or name in a hive it
// opened, having set this errno.
std::wstring WhyKeyRefused(int error);

}  // namespace winsim
