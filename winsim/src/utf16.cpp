#include "utf16.h"

namespace winsim {
namespace {

const unsigned long REPLACEMENT = 0xFFFD;

bool IsHighSurrogate(unsigned unit)
{
    return unit >= 0xD800 && unit < 0xDC00;
}

bool IsLowSurrogate(unsigned unit)
{
    return unit >= 0xDC00 && unit < 0xE000;
}

}  // namespace

std::vector<BYTE> EncodeUtf16(const wchar_t *text, size_t count)
{
    std::vector<BYTE> bytes;
    bytes.reserve(count * 2);
    auto unit = [&](unsigned long u) {
        bytes.push_back(static_cast<BYTE>(u & 0xFF));
        bytes.push_back(static_cast<BYTE>(u >> 8));
    };
    for (size_t i = 0; i < count; ++i) {
        unsigned long code = static_cast<unsigned long>(static_cast<unsigned>(text[i]));
        if (code >= 0x110000)
            code = REPLACEMENT;
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return bytes;
}

std::vector<BYTE> EncodeUtf16(const std::wstring &text)
{
    return EncodeUtf16(text.data(), text.size());
}

std::wstring DecodeUtf16(const BYTE *bytes, size_t size)
{
    std::wstring text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        unsigned unit = bytes[i] | (bytes[i + 1] << 8);
        unsigned low = i + 3 < size ? bytes[i + 2] | (bytes[i + 3] << 8) : 0;
        if (IsHighSurrogate(unit) && IsLowSurrogate(low)) {
            text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        } else {
            text += static_cast<wchar_t>(unit);
        }
    }
    return text;
}

}  // namespace winsim
