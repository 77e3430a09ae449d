#include "report/widen_format.h"

#include <cstring>

namespace {

bool IsLengthModifier(char c)
{
    return std::strchr("hlLqjztI", c) != nullptr;
}

bool IsFlagOrWidth(char c)
{
    return std::strchr("-+ #0123456789.*", c) != nullptr;
}

}  // namespace

std::wstring WidenFormat(const char *format)
{
    std::wstring wide;
    for (const char *p = format; *p; ++p) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
        if (*p != '%')
            continue;
        ++p;
        while (*p && IsFlagOrWidth(*p))
            wide += static_cast<wchar_t>(*p++);
        bool sized = false;
        while (*p && IsLengthModifier(*p)) {
            wide += static_cast<wchar_t>(*p++);
            sized = true;
        }
        if (!*p)
            break;
        // In a narrow format %s is narrow and %S wide; say so explicitly,
        // since a wide format reads the bare letters the other way round on
        // some runtimes.
        if (!sized && (*p == 's' || *p == 'c'))
            wide += L'h';
        else if (!sized && (*p == 'S' || *p == 'C'))
            wide += L'l';
        wide += static_cast<wchar_t>(*p == 'S' ? 's' : *p == 'C' ? 'c' : *p);
    }
    return wide;
}
