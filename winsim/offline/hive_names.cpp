#include "hive_names.h"

#include <cstring>

#include "winsim/utf8.h"

namespace winsim {
namespace {

// Decodes piece by piece, since a NUL would end the decoding.
std::wstring FromUtf8(const char *bytes, size_t length)
{
    std::wstring text;
    for (size_t at = 0; at <= length;) {
        size_t end = at;
        while (end < length && bytes[end])
            ++end;
        text += DecodeUtf8(std::string(bytes + at, end - at).c_str());
        if (end < length)
            text += L'\0';
        at = end + 1;
    }
    return text;
}

}  // namespace

bool NodeName(hive_h *hive, hive_node_h node, std::wstring *name)
{
    size_t length = hivex_node_name_len(hive, node);
    HivexArray<char> bytes(hivex_node_name(hive, node));
    if (!bytes)
        return false;
    *name = FromUtf8(bytes.get(), length);
    return true;
}

bool ValueName(hive_h *hive, hive_value_h value, std::wstring *name)
{
    size_t length = hivex_value_key_len(hive, value);
    HivexArray<char> bytes(hivex_value_key(hive, value));
    if (!bytes)
        return false;
    *name = FromUtf8(bytes.get(), length);
    return true;
}

bool HivexName(const std::wstring &name, std::string *utf8)
{
    if (name.find(L'\0') != std::wstring::npos)
        return false;
    *utf8 = EncodeUtf8(name.c_str());
    return true;
}

std::wstring WideText(const std::string &text)
{
    return DecodeUtf8(text.c_str());
}

std::wstring ErrorText(int error)
{
    return WideText(std::strerror(error));
}

}  // namespace winsim
