// The machine a test runs on: a fresh simulated one on the host, the real
// (Wine) one on Windows, where nothing can be reset.
#pragma once

#include <functional>

// On the host: a new simulated machine, 32-bit Windows, like the native view
// that a 64-bit process sees under Wine, with its drive C: in a new temporary
// folder.
void StartFreshMachine();
// On the host: the machine becomes 64-bit Windows, with both registry views,
// as a 32-bit process sees them there (on Windows nothing changes: the
// machine is what it is).
void UseBothViews();
// Whether the calling thread sees the file system without WOW64 redirection:
// on Windows, whether a mark left in the real System32 shows there.
bool FsRedirectionOff();
// Runs the call with file-system redirection off, where there is any.
void WithoutFsRedirection(const std::function<void()> &call);
// A locale that can show every character the program prints, so that
// captured output decodes back to the same text; the program's entry changes
// the locale, so tests that call it select this one again.
void SelectTestLocale();
