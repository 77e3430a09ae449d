#include "value_data.h"

#include <cstring>

#include "../utf16.h"

namespace winsim {
namespace {

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ || type == REG_LINK;
}

}  // namespace

std::vector<BYTE> StoredData(DWORD type, const BYTE *data, size_t size)
{
    if (!size)
        return std::vector<BYTE>();
    if (!IsStringType(type))
        return std::vector<BYTE>(data, data + size);
    std::wstring text(size / sizeof(wchar_t), L'\0');
    std::memcpy(&text[0], data, text.size() * sizeof(wchar_t));
    std::vector<BYTE> stored = EncodeUtf16(text);
    stored.insert(stored.end(), data + text.size() * sizeof(wchar_t), data + size);
    return stored;
}

std::vector<BYTE> CallerData(DWORD type, const std::vector<BYTE> &stored)
{
    if (!IsStringType(type))
        return stored;
    std::wstring text = DecodeUtf16(stored.data(), stored.size());
    const BYTE *start = reinterpret_cast<const BYTE *>(text.data());
    std::vector<BYTE> data(start, start + text.size() * sizeof(wchar_t));
    if (stored.size() % 2)
        data.push_back(stored.back());
    return data;
}

}  // namespace winsim
