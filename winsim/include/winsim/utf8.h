// UTF-8, the host's encoding for console text and command-line arguments.
#pragma once

#include <string>

namespace winsim {

std::string EncodeUtf8(const wchar_t *text);
std::wstring DecodeUtf8(const char *bytes);

}  // namespace winsim
