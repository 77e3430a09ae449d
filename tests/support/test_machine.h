// The machine a test runs on: a fresh simulated one on the host, the real
// (Wine) one on Windows, where nothing can be reset.
#pragma once

// On the host: a new simulated machine, 32-bit Windows, like the native view
// that a 64-bit process sees under Wine, with its drive C: in a new temporary
// folder.
void StartFreshMachine();
// On the host: the machine becomes 64-bit Windows, with both registry views,
// as the 64-bit test process sees under Wine (where nothing changes).
void UseBothViews();
// Whether the calling thread sees the file system without WOW64 redirection;
// only the simulated machine can tell, elsewhere it is false.
bool FsRedirectionOff();
// A locale that can show every character the program prints, so that
// captured output decodes back to the same text; the program's entry changes
// the locale, so tests that call it select this one again.
void SelectTestLocale();
