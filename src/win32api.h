// The one door to the Win32 API: Windows' own headers on Windows, the
// simulated machine's elsewhere. Product code includes this and nothing else
// of the platform.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
// SHGetFolderPathW, PathAddBackslashW
#include <shlobj.h>
#include <shlwapi.h>

#include <aclapi.h>
// UNLEN
#include <lmcons.h>
#include <objbase.h>
// ConvertSecurityDescriptorToStringSecurityDescriptorW
#include <sddl.h>

// The runtime converts wide text to the console's code page chosen by setlocale.
// A character that page lacks is written as '?', so the rest of the line is kept.
inline int PutWideText(const wchar_t *text, FILE *stream)
{
    for (; *text; ++text) {
        if (fputwc(*text, stream) == WEOF) {
            clearerr(stream);
            if (fputc('?', stream) == EOF)
                return -1;
        }
    }
    return 0;
}

// Value data as Windows holds it: what the registry calls return.
inline std::string WindowsValueBytes(DWORD, const BYTE *data, DWORD size)
{
    return std::string(reinterpret_cast<const char *>(data), size);
}
#else
#include <winsim/windows.h>

inline int PutWideText(const wchar_t *text, FILE *stream)
{
    return winsim_fputws(text, stream);
}

// Value data as Windows holds it. Strings reach a caller here as four-byte
// wide characters (and a last odd byte as it is); Windows holds UTF-16LE.
inline std::string WindowsValueBytes(DWORD type, const BYTE *data, DWORD size)
{
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ && type != REG_LINK)
        return std::string(reinterpret_cast<const char *>(data), size);
    std::string bytes;
    DWORD whole = size / sizeof(wchar_t) * sizeof(wchar_t);
    for (DWORD i = 0; i < whole; i += sizeof(wchar_t)) {
        wchar_t character;
        memcpy(&character, data + i, sizeof character);
        unsigned c = static_cast<unsigned>(character);
        unsigned units[2] = {c, 0};
        int count = 1;
        if (c > 0xFFFF) {
            units[0] = 0xD800 + ((c - 0x10000) >> 10);
            units[1] = 0xDC00 + ((c - 0x10000) & 0x3FF);
            count = 2;
        }
        for (int u = 0; u < count; ++u) {
            bytes.push_back(static_cast<char>(units[u] & 0xFF));
            bytes.push_back(static_cast<char>(units[u] >> 8));
        }
    }
    bytes.append(reinterpret_cast<const char *>(data) + whole, size - whole);
    return bytes;
}
#endif
