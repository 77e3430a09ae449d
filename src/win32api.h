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

// The runtime converts wide text to the console's code page chosen by setlocale.
inline int PutWideText(const wchar_t *text, FILE *stream)
{
    return fputws(text, stream);
}
#else
#include <winsim/windows.h>

inline int PutWideText(const wchar_t *text, FILE *stream)
{
    return winsim_fputws(text, stream);
}
#endif
