#include "winsim/utf8.h"

namespace winsim {
namespace {

const char32_t replacement = 0xFFFD;

bool IsValidCodePoint(char32_t c)
{
    return c < 0x110000 && (c < 0xD800 || c > 0xDFFF);
}

}  // namespace

std::string EncodeUtf8(const wchar_t *text)
{
    std::string bytes;
    for (; *text; ++text) {
        char32_t c = static_cast<char32_t>(*text);
        if (!IsValidCodePoint(c))
            c = replacement;
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += static_cast<char>(0xC0 | (c >> 6));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += static_cast<char>(0xE0 | (c >> 12));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

std::wstring DecodeUtf8(const char *bytes)
{
    std::wstring text;
    const unsigned char *p = reinterpret_cast<const unsigned char *>(bytes);
    while (*p) {
        unsigned lead = *p++;
        int trailing = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        char32_t c = trailing == 3 ? lead & 0x07 : trailing == 2 ? lead & 0x0F : trailing == 1 ? lead & 0x1F : lead;
        bool valid = lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4);
        for (int i = 0; i < trailing && valid; ++i) {
            if ((*p & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (*p++ & 0x3F);
        }
        text += static_cast<wchar_t>(valid && IsValidCodePoint(c) ? c : replacement);
    }
    return text;
}

}  // namespace winsim
