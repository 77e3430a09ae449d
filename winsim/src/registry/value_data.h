// Value data as the registry keeps it and as a caller on this host passes
// and reads it. Strings (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_LINK) are
// kept as Windows keeps them, in UTF-16LE; a caller's wide characters are
// four bytes here. Bytes that make no whole character at the end of the data
// are kept as they are: an odd last byte of a stored string reads as one
// byte after the last whole character, and comes back as that one byte.
#pragma once

#include <vector>

#include "winsim/windows.h"

namespace winsim {

std::vector<BYTE> StoredData(DWORD type, const BYTE *data, size_t size);
std::vector<BYTE> CallerData(DWORD type, const std::vector<BYTE> &stored);

}  // namespace winsim
