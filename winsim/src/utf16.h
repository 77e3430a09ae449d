// UTF-16LE, the encoding of the registry's strings and of registry files.
// A host character beyond U+FFFF is a surrogate pair there, and a pair is one
// character again here; a lone surrogate stays one unit either way, so that
// any sequence of units comes back as it was.
#pragma once

#include <string>
#include <vector>

#include "winsim/windows.h"

namespace winsim {

// A host value that no UTF-16 can hold (above U+10FFFF) becomes U+FFFD.
std::vector<BYTE> EncodeUtf16(const wchar_t *text, size_t count);
std::vector<BYTE> EncodeUtf16(const std::wstring &text);
// The whole units of the bytes; an odd last byte is left out.
std::wstring DecodeUtf16(const BYTE *bytes, size_t size);

}  // namespace winsim
