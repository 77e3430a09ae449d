// The one door to the Win32 API: Windows' own headers on Windows, the
// simulated machine's elsewhere. Product code includes this and nothing else
// of the platform.
#pragma once

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
// SHGetFolderPathW, PathAddBackslashW
#include <shlobj.h>
#include <shlwapi.h>

#include <aclapi.h>
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
#else
#include <winsim/windows.h>

inline int PutWideText(const wchar_t *text, FILE *stream)
{
    return winsim_fputws(text, stream);
}
#endif
