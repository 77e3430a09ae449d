// A text file that the program writes piece by piece: UTF-16LE with a
// byte-order mark and CR LF line ends, as Windows' own tools write text.
// What is appended waits in memory until FlushTextFile hands it to Windows;
// after a failed write the file takes nothing more, and is cut back to the
// end of the last flush that was written whole, so that what it holds stays
// whole: a full disk never leaves half an entry.
#pragma once

#include <string>

#include "win32api.h"

struct TextFile {
    HANDLE handle;
    std::string pending;  // bytes not yet handed to Windows
    DWORD error;          // the code of the first write that failed, else 0
    DWORD whole;          // the file's size at the end of the last whole flush
};

// Makes a new file (never replaces one) and writes its byte-order mark.
// FALSE, with the last error set, when it cannot.
BOOL CreateTextFile(TextFile *file, LPCWSTR lpPath);
// Adds text; every "\n" becomes CR LF.
void AppendText(TextFile *file, const wchar_t *text);
// Writes what is pending. FALSE once a write has failed.
BOOL FlushTextFile(TextFile *file);
// Flushes, asks Windows to put the file on disk and closes it. FALSE when any
// write failed.
BOOL CloseTextFile(TextFile *file);
